// The document subsystem is added beside this file.
