// The small dialogs are added beside this file.
