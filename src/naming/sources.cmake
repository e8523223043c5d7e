# Sources of src/naming (none yet).
