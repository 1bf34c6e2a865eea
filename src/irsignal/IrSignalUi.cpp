// Widgets of the IR signal subsystem are added beside this file.
