// Settings file reader and writer are added beside this file.
