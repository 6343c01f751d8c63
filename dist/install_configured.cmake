# Writes one file whose text names installed paths (known only at install time):
# `source` configured into `target`, recorded like every other installed file.
message(STATUS "Installing: ${target}")
configure_file("${source}" "${target}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
