// Widgets of the document subsystem are added beside this file.
