# Third-party libraries, all from Debian packages (see scripts/setup.sh).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
# Header-only; used inside the core (preset JSON) and by the command line.
find_package(nlohmann_json REQUIRED)

# ov_pkg(<VAR> <module>) finds a pkg-config module as the imported target PkgConfig::<VAR> and
# records it for the installed pkg-config file and CMake package.
macro(ov_pkg var module)
  pkg_check_modules(${var} REQUIRED IMPORTED_TARGET GLOBAL ${module})
  set_property(GLOBAL APPEND PROPERTY OV_PKGCONFIG_REQUIRES ${module})
  set_property(GLOBAL APPEND PROPERTY OV_PKGCONFIG_FIND
    "pkg_check_modules(${var} REQUIRED IMPORTED_TARGET GLOBAL ${module})")
endmacro()

ov_pkg(CAIRO cairo)
ov_pkg(PANGOCAIRO pangocairo)
ov_pkg(FONTCONFIG fontconfig)
ov_pkg(VIPS vips-cpp)
# The image I/O loads libvips' optional codec modules itself.
ov_pkg(GMODULE gmodule-2.0)
ov_pkg(EXIV2 exiv2)
# Colour conversion of marks into the photograph's profile (libvips links it as well).
ov_pkg(LCMS2 lcms2)
ov_pkg(RSVG librsvg-2.0)
