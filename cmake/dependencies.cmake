# Third-party libraries, from Debian's packages (native) or cross-built from Debian's sources
# (windows). Gathered in one interface target, in static link order.
# The Windows programs link zlib statically like everything else: its import library would make
# every program load zlib1.dll, which a clean system lacks and which a planted copy beside an
# installer would replace. Dropped from the cache, since build trees configured before found the
# import library.
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
  unset(ZLIB_LIBRARY_RELEASE CACHE)
endif()
find_package(ZLIB REQUIRED)
if(WIN32)
  find_path(MINIZIP_INCLUDE_DIR minizip/unzip.h REQUIRED)
  find_library(MINIZIP_LIBRARY minizip REQUIRED)
else()
  # Debian's libminizip can neither read nor write encrypted entries on 64-bit Linux;
  # scripts/build-deps.sh builds the same source with that fixed. Plain variables, so they also
  # take the place of the system library in build trees configured before.
  get_filename_component(NATIVE_DEPS_PREFIX "${PROJECT_SOURCE_DIR}/build/deps/native" ABSOLUTE)
  set(MINIZIP_INCLUDE_DIR "${NATIVE_DEPS_PREFIX}/include")
  set(MINIZIP_LIBRARY "${NATIVE_DEPS_PREFIX}/lib/libminizip.a")
  if(NOT EXISTS "${MINIZIP_LIBRARY}")
    message(FATAL_ERROR "${MINIZIP_LIBRARY} is missing: run scripts/build-deps.sh")
  endif()
endif()
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GTest REQUIRED)
# libsodium: Debian's libsodium-dev natively; in the windows build the static library that
# scripts/build-deps.sh cross-builds (only .a files are searched there). Its headers declare
# every function as imported from a DLL unless SODIUM_STATIC says otherwise.
find_path(SODIUM_INCLUDE_DIR sodium.h REQUIRED)
find_library(SODIUM_LIBRARY sodium REQUIRED)
# libzstd, for its patch mode: Debian's libzstd-dev natively, the static library that
# scripts/build-deps.sh cross-builds in the windows build.
find_path(ZSTD_INCLUDE_DIR zstd.h REQUIRED)
find_library(ZSTD_LIBRARY zstd REQUIRED)

add_library(third_party INTERFACE)
target_include_directories(third_party INTERFACE ${MINIZIP_INCLUDE_DIR} ${SODIUM_INCLUDE_DIR}
                           ${ZSTD_INCLUDE_DIR})
target_link_libraries(third_party INTERFACE ${MINIZIP_LIBRARY} PNG::PNG JPEG::JPEG ZLIB::ZLIB
                      ${SODIUM_LIBRARY} ${ZSTD_LIBRARY})
if(WIN32)
  target_compile_definitions(third_party INTERFACE SODIUM_STATIC)
endif()
