# Finds libwmflite, the Windows metafile player of libwmf (Debian: libwmf-dev), without the rest
# of libwmf: Quillon draws what the player reports with QPainter.
#
# Defines the imported target Wmf::Lite and Wmf_FOUND.

find_path(Wmf_INCLUDE_DIR libwmf/api.h)
find_library(Wmf_LITE_LIBRARY wmflite)
# libwmf's headers include FreeType's, though the player never calls it.
find_package(Freetype QUIET)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Wmf
    REQUIRED_VARS Wmf_LITE_LIBRARY Wmf_INCLUDE_DIR FREETYPE_INCLUDE_DIRS)

if(Wmf_FOUND AND NOT TARGET Wmf::Lite)
    add_library(Wmf::Lite UNKNOWN IMPORTED)
    set_target_properties(Wmf::Lite PROPERTIES
        IMPORTED_LOCATION "${Wmf_LITE_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${Wmf_INCLUDE_DIR};${FREETYPE_INCLUDE_DIRS}")
endif()
mark_as_advanced(Wmf_INCLUDE_DIR Wmf_LITE_LIBRARY)
