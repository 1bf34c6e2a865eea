// The device subsystem is added beside this file.
