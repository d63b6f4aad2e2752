#!/usr/bin/env bash
# Builds the libraries the fuzz targets decode with (zlib, libpng, giflib, libwebp, libtiff and
# libjpeg-turbo) from the same Debian source packages as the cross build, natively with clang-14,
# static, with the fuzzer's coverage instrumentation and AddressSanitizer + UndefinedBehaviorSanitizer,
# into $ZEB_FUZZ_LIBS_PREFIX. Without that the fuzzer sees only our wrappers, never the decoders.
# Idempotent: a library already built with the same compiler and flags is skipped (the stamp in the
# prefix records them and each library's source version); other flags or another clang rebuild all.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=env.sh
source "$here/scripts/env.sh"
# shellcheck source=debian_sources.sh
source "$here/scripts/debian_sources.sh"

prefix="$ZEB_FUZZ_LIBS_PREFIX"
source_dir_prefix="$ZEB_CACHE/fuzz-src"
cc=clang-14
# The fuzz targets' own sanitizers, so that a fault in a decoder stops the run as one in our code does.
flags="-O1 -gline-tables-only -fno-omit-frame-pointer -fsanitize=address,undefined
  -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link"
flags=$(echo $flags)
stamp="compiler: $($cc --version | head -n 1)
flags: $flags"
if [ "$(head -n 2 "$prefix/stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  echo "$stamp" >"$prefix/stamp"
fi

# Whether library $1 is still to be built.
needed() { ! grep -q "^$1 " "$prefix/stamp"; }
# Records library $1 as built from the source package unpacked in $src, and removes the sources.
built() {
  echo "$1 $(basename "$src"/*.dsc .dsc)" >>"$prefix/stamp"
  rm -rf "$src"
}

# Configures, builds and installs the CMake project in $src/$1 with the extra options given, or only
# builds its target $target when that is set (the caller installs it).
cmake_build() {
  local dir=$1
  shift
  CC=$cc cmake -S "$src/$dir" -B "$src/build" -G Ninja -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON -Wno-dev "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$src/build" -j 2 ${target:+--target $target} >/dev/null
  [ -n "${target:-}" ] || cmake --install "$src/build" >/dev/null
}
zlib_options=(-DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include")

if needed zlib; then
  echo "setup: building zlib for fuzzing"
  unpack zlib zlib
  # Its own configure: Debian's source lacks the Windows resource file that its CMake project needs.
  (cd "$src/zlib" && CC=$cc CFLAGS="$flags -fPIC" ./configure --static --prefix="$prefix" >/dev/null &&
    make -j 2 install >/dev/null)
  built zlib
fi

if needed libjpeg-turbo; then
  echo "setup: building libjpeg-turbo for fuzzing"
  unpack libjpeg-turbo jpeg
  # Without its SIMD assembly: the sanitizers and the coverage see only compiled C, so the C colour
  # conversion, upsampling and IDCT are what get explored and checked (the assembly does the same
  # arithmetic on the same buffers in the release build). Only the library, not its tools.
  target=jpeg-static cmake_build jpeg -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=OFF
  install -D -m 644 "$src/build/libjpeg.a" "$prefix/lib/libjpeg.a"
  install -D -m 644 -t "$prefix/include" "$src/build/jconfig.h" "$src/jpeg/jpeglib.h" \
    "$src/jpeg/jmorecfg.h" "$src/jpeg/jerror.h"
  built libjpeg-turbo
fi

if needed libpng1.6; then
  echo "setup: building libpng for fuzzing"
  unpack libpng1.6 png
  cmake_build png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF "${zlib_options[@]}"
  built libpng1.6
fi

if needed giflib; then
  echo "setup: building giflib for fuzzing"
  unpack giflib gif
  # giflib has a plain makefile for shared libraries: its library sources are compiled directly.
  (
    cd "$src/gif"
    objs=()
    for c in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
      # shellcheck disable=SC2086
      $cc $flags -fPIC -c "$c.c" -o "$c.o"
      objs+=("$c.o")
    done
    ar rcs libgif.a "${objs[@]}"
    install -D -m 644 libgif.a "$prefix/lib/libgif.a"
    install -D -m 644 gif_lib.h "$prefix/include/gif_lib.h"
  )
  built giflib
fi

if needed libwebp; then
  echo "setup: building libwebp for fuzzing"
  unpack libwebp webp
  cmake_build webp -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_BUILD_LIBWEBPMUX=ON -DWEBP_USE_THREAD=OFF
  built libwebp
fi

if needed tiff; then
  echo "setup: building libtiff for fuzzing"
  unpack tiff tiff
  # The codecs of the cross build: deflate through the zlib above, JPEG through the libjpeg-turbo above.
  cmake_build tiff -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Dzlib=ON -Djpeg=ON -Dold-jpeg=ON -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dlibdeflate=OFF -Dpixarlog=ON "${zlib_options[@]}" \
    -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" -DJPEG_INCLUDE_DIR="$prefix/include"
  # Both codecs must have been found, or the fuzzer would never reach them.
  grep -q '^#define ZIP_SUPPORT' "$src/build/libtiff/tiffconf.h"
  grep -q '^#define JPEG_SUPPORT' "$src/build/libtiff/tiffconf.h"
  built tiff
fi

# heif.spi's and jxl.spi's libraries, C++ mostly: libde265, dav1d and libheif; brotli, highway and
# libjxl (whose colour code, Little CMS 2, is Debian's, not instrumented). Without their SIMD code, as
# libjpeg-turbo above. At a lower priority: they are large, and the machine is shared.
renice -n 10 $$ >/dev/null
cxx=clang++-14
cxx_options=(-DCMAKE_CXX_COMPILER=$cxx "-DCMAKE_CXX_FLAGS=$flags")
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"

if needed libde265-2; then
  echo "setup: building libde265 for fuzzing"
  unpack libde265 de265
  # Its parser shifts by amounts that damaged streams make too large (undefined in C++, harmless on
  # x86, and not ours to change): the shift checks are left out of libde265, the others kept.
  target=de265 cmake_build de265 "${cxx_options[@]}" -DENABLE_SDL=OFF -DENABLE_ENCODER=OFF -DDISABLE_SSE=ON \
    "-DCMAKE_CXX_FLAGS=$flags -fno-sanitize=shift"
  install -D -m 644 "$src/build/libde265/libde265.a" "$prefix/lib/libde265.a"
  install -D -m 644 -t "$prefix/include/libde265" "$src/de265/libde265/de265.h" \
    "$src/build/libde265/de265-version.h"
  built libde265-2
fi

if needed dav1d; then
  echo "setup: building dav1d for fuzzing"
  unpack dav1d dav1d
  CC=$cc CFLAGS="$flags" meson setup "$src/build" "$src/dav1d" --prefix "$prefix" --libdir lib \
    --buildtype plain -Ddefault_library=static -Denable_asm=false -Denable_tools=false \
    -Denable_tests=false -Denable_examples=false -Denable_docs=false -Dlogging=false >/dev/null
  ninja -C "$src/build" -j 2 install >/dev/null
  built dav1d
fi

if needed libheif-2; then
  echo "setup: building libheif for fuzzing"
  unpack libheif heif
  cmake_build heif "${cxx_options[@]}" -DLIBDE265_INCLUDE_DIR="$prefix/include" -DLIBDE265_LIBRARY="$prefix/lib/libde265.a" \
    -DDAV1D_INCLUDE_DIR="$prefix/include" -DDAV1D_LIBRARY="$prefix/lib/libdav1d.a" \
    -DWITH_LIBDE265=ON -DWITH_LIBDE265_PLUGIN=OFF -DWITH_DAV1D=ON \
    -DWITH_DAV1D_PLUGIN=OFF -DWITH_X265=OFF -DWITH_AOM_DECODER=OFF -DWITH_AOM_ENCODER=OFF -DWITH_RAV1E=OFF \
    -DWITH_SvtEnc=OFF -DWITH_EXAMPLES=OFF -DENABLE_PLUGIN_LOADING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GdkPixbuf=ON \
    -DBUILD_TESTING=OFF "-DCMAKE_CXX_FLAGS=$flags -fno-sanitize=nonnull-attribute"
  grep -q 'de265' "$prefix/lib/pkgconfig/libheif.pc" && grep -q 'dav1d' "$prefix/lib/pkgconfig/libheif.pc"
  # Its reads of no bytes copy them with memcpy to a null address (harmless, and not ours to change):
  # that one check is left out of libheif, so that the fuzzer gets past every file to what matters.
  # (Recorded as libheif-2: a build of libheif without that check.)
  built libheif-2
fi

if needed brotli; then
  echo "setup: building brotli for fuzzing"
  unpack brotli brotli
  cmake_build brotli -DBROTLI_DISABLE_TESTS=ON
  for lib in common dec enc; do
    mv "$prefix/lib/libbrotli$lib-static.a" "$prefix/lib/libbrotli$lib.a"
  done
  rm -f "$prefix"/lib/libbrotli*.so*
  built brotli
fi

if needed highway; then
  echo "setup: building highway for fuzzing"
  unpack highway hwy
  cmake_build hwy "${cxx_options[@]}" -DHWY_ENABLE_CONTRIB=OFF -DHWY_ENABLE_EXAMPLES=OFF \
    -DHWY_ENABLE_TESTS=OFF -DBUILD_TESTING=OFF
  built highway
fi

if needed jpeg-xl; then
  echo "setup: building libjxl for fuzzing"
  unpack jpeg-xl jxl
  # The decoder library and its thread runner alone (installed by hand: the install step wants all).
  target="jxl_dec-static jxl_threads-static" cmake_build jxl "${cxx_options[@]}" -DBUILD_TESTING=OFF \
    -DJPEGXL_ENABLE_TOOLS=OFF -DJPEGXL_ENABLE_BENCHMARK=OFF -DJPEGXL_ENABLE_EXAMPLES=OFF \
    -DJPEGXL_ENABLE_DOXYGEN=OFF -DJPEGXL_ENABLE_MANPAGES=OFF -DJPEGXL_ENABLE_JNI=OFF -DJPEGXL_ENABLE_SJPEG=OFF \
    -DJPEGXL_ENABLE_OPENEXR=OFF -DJPEGXL_ENABLE_PLUGINS=OFF -DJPEGXL_ENABLE_SKCMS=OFF \
    -DJPEGXL_BUNDLE_SKCMS=OFF -DJPEGXL_ENABLE_FUZZERS=OFF -DJPEGXL_ENABLE_DEVTOOLS=OFF \
    -DJPEGXL_ENABLE_VIEWERS=OFF -DJPEGXL_ENABLE_TCMALLOC=OFF -DJPEGXL_FORCE_SYSTEM_BROTLI=ON \
    -DJPEGXL_FORCE_SYSTEM_HWY=ON -DJPEGXL_FORCE_SYSTEM_LCMS2=ON -DJPEGXL_WARNINGS_AS_ERRORS=OFF
  install -D -m 644 -t "$prefix/lib" "$src/build/lib/libjxl_dec.a" "$src/build/lib/libjxl_threads.a"
  install -D -m 644 -t "$prefix/include/jxl" "$src"/jxl/lib/include/jxl/*.h "$src"/build/lib/include/jxl/*.h
  built jpeg-xl
fi
