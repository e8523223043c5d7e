# find_package for what the default build needs. A miss names the Debian package and the
# script that installs it, instead of CMake's page about package configuration files.
macro(tagwright_find_required package debian_package)
  find_package(${package} ${ARGN} QUIET)
  if(NOT ${package}_FOUND)
    message(FATAL_ERROR
            "${package} was not found (Debian: ${debian_package}). "
            "Run scripts/install-deps.sh, which `make run` and `make test` run first.")
  endif()
endmacro()
