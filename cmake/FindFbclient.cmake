# Locates the Firebird client library (libfbclient) and its C header ibase.h.
find_path(Fbclient_INCLUDE_DIR ibase.h PATH_SUFFIXES firebird)
find_library(Fbclient_LIBRARY NAMES fbclient)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Fbclient REQUIRED_VARS Fbclient_LIBRARY Fbclient_INCLUDE_DIR)
if(Fbclient_FOUND AND NOT TARGET Fbclient::Fbclient)
  add_library(Fbclient::Fbclient UNKNOWN IMPORTED)
  set_target_properties(Fbclient::Fbclient PROPERTIES
    IMPORTED_LOCATION "${Fbclient_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${Fbclient_INCLUDE_DIR}")
endif()
mark_as_advanced(Fbclient_INCLUDE_DIR Fbclient_LIBRARY)
