// Stands in for a folder that has no sources yet.
