// Widgets of the device subsystem are added beside this file.
