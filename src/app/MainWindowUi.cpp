// The main window is added beside this file.
