# Sources of src/fileops (none yet).
