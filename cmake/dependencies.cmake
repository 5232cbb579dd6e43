# Third-party libraries, from Debian's packages (native) or cross-built from Debian's sources
# (windows). Gathered in one interface target, in static link order.
find_package(ZLIB REQUIRED)
find_path(MINIZIP_INCLUDE_DIR minizip/unzip.h REQUIRED)
find_library(MINIZIP_LIBRARY minizip REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GTest REQUIRED)

add_library(third_party INTERFACE)
target_include_directories(third_party INTERFACE ${MINIZIP_INCLUDE_DIR})
target_link_libraries(third_party INTERFACE ${MINIZIP_LIBRARY} PNG::PNG JPEG::JPEG ZLIB::ZLIB)
