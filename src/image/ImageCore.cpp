// The compiled image is added beside this file.
