#!/usr/bin/env bash
# Cross-builds the libraries of the Windows builds from Debian's source packages, static, into the cache:
# libjpeg-turbo for the viewer (its own prefix), then those of ZEB's own plug-ins (zlib, libpng, giflib,
# libwebp, libtiff) into one prefix, with Little CMS 2 and libexif, which the viewer links too. The argument names the architecture: i686 (zeb.exe, the default)
# or x86_64 (zeb64.exe); each has prefixes of its own. Idempotent: a library already installed is skipped.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=env.sh
source "$here/scripts/env.sh"

arch=${1:-i686}
case "$arch" in
  i686 | x86_64) ;;
  *) echo "setup_cross_libs.sh: unknown architecture $arch (i686 or x86_64)" >&2; exit 2 ;;
esac
target="$arch-w64-mingw32"
jpeg_prefix="$ZEB_CACHE/jpeg-$arch"
prefix="$ZEB_CACHE/plugin-libs-$arch"
toolchain="$here/cmake/mingw-$arch.cmake"
mkdir -p "$prefix"

# shellcheck source=debian_sources.sh
source "$here/scripts/debian_sources.sh"
source_dir_prefix="$ZEB_CACHE/src-$arch"

# Configures, builds and installs the CMake project in $src/$1 with the extra options given, into
# $into (the plug-ins' prefix unless set).
cmake_build() {
  local dir=$1 into=${into:-$prefix}
  shift
  cmake -S "$src/$dir" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$into" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$target" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev "$@" >/dev/null
  cmake --build "$src/build" -j 2 >/dev/null
  cmake --install "$src/build" >/dev/null
}

if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
  echo "setup: building libjpeg-turbo for $target"
  unpack libjpeg-turbo jpeg
  into="$jpeg_prefix" cmake_build jpeg -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libz.a" ]; then
  echo "setup: building zlib for $target"
  unpack zlib zlib
  # Only the static library: Debian's source lacks the Windows resource file of the DLL.
  cmake -S "$src/zlib" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
  cmake --build "$src/build" --target zlibstatic >/dev/null
  install -D -m 644 "$src/build/libzlibstatic.a" "$prefix/lib/libz.a"
  install -D -m 644 "$src/build/zconf.h" "$prefix/include/zconf.h"
  install -D -m 644 "$src/zlib/zlib.h" "$prefix/include/zlib.h"
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libpng16.a" ]; then
  echo "setup: building libpng for $target"
  unpack libpng1.6 png
  cmake_build png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libgif.a" ]; then
  echo "setup: building giflib for $target"
  unpack giflib gif
  # giflib has a plain makefile for Unix shared libraries: its library sources are compiled directly.
  (
    cd "$src/gif"
    objs=()
    for c in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
      "$target-gcc-posix" -O2 -c "$c.c" -o "$c.o"
      objs+=("$c.o")
    done
    "$target-ar" rcs libgif.a "${objs[@]}"
    install -D -m 644 libgif.a "$prefix/lib/libgif.a"
    install -D -m 644 gif_lib.h "$prefix/include/gif_lib.h"
  )
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libwebp.a" ]; then
  echo "setup: building libwebp for $target"
  unpack libwebp webp
  cmake_build webp -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_BUILD_LIBWEBPMUX=ON -DWEBP_USE_THREAD=OFF
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libtiff.a" ]; then
  echo "setup: building libtiff for $target"
  unpack tiff tiff
  # Deflate (zlib) and JPEG compression only; the other codecs' libraries are not cross-built.
  cmake_build tiff -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Dzlib=ON -Djpeg=ON -Dold-jpeg=ON -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dlibdeflate=OFF -Dpixarlog=ON -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
    -DJPEG_LIBRARY="$jpeg_prefix/lib/libjpeg.a" -DJPEG_INCLUDE_DIR="$jpeg_prefix/include"
  rm -rf "$src"
fi

# Configures (autotools), builds and installs $src/$1 for the target with the extra options given.
autotools_build() {
  local dir=$1
  shift
  (
    cd "$src/$dir"
    ./configure --host="$target" --prefix="$prefix" --disable-shared --enable-static \
      CC="$target-gcc-posix" CFLAGS="-O2" "$@" >/dev/null
    make -j 2 >/dev/null
    make install >/dev/null
  )
}

if [ ! -f "$prefix/lib/liblcms2.a" ]; then
  echo "setup: building lcms2 for $target"
  unpack lcms2 lcms2
  autotools_build lcms2 --without-jpeg --without-tiff --without-zlib
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libexif.a" ]; then
  echo "setup: building libexif for $target"
  unpack libexif exif
  # Debian's source has no configure script, only its autotools input: the library's sources are
  # compiled directly, without translations (a config.h of the two names they need), with the standard
  # integer types as the _stdint.h that configure would write.
  (
    cd "$src/exif"
    printf "#define GETTEXT_PACKAGE \"libexif-12\"\n#define LOCALEDIR \"\"\n" >config.h
    echo "#include <stdint.h>" >libexif/_stdint.h
    objs=()
    for c in $(find libexif -name '*.c' | sort); do
      o="${c//\//_}.o"
      "$target-gcc-posix" -O2 -w -I. -c "$c" -o "$o"
      objs+=("$o")
    done
    "$target-ar" rcs libexif.a "${objs[@]}"
    install -D -m 644 libexif.a "$prefix/lib/libexif.a"
    mkdir -p "$prefix/include/libexif"
    install -m 644 libexif/*.h "$prefix/include/libexif/"
  )
  rm -rf "$src"
fi

# The libraries of heif.spi (libheif with libde265 for HEIC and dav1d for AVIF: one library reads both
# kinds of HEIF file) and of jxl.spi (libjxl over highway and brotli, with the Little CMS 2 above as
# its colour code). Built at a lower priority: they are large, and the machine is shared. pkg-config
# looks only in this prefix, so that no library of the build machine is taken for the target's.
renice -n 10 $$ >/dev/null
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH=
# GCC for 64-bit Windows keeps 32-byte vectors on a stack it does not align to 32 bytes, so the AVX2
# and AVX-512 paths of highway would fault on the processors that take them: SSE4 is the widest.
simd_flags=""
[ "$arch" = i686 ] || simd_flags="-DHWY_DISABLED_TARGETS=HWY_AVX2+HWY_AVX3+HWY_AVX3_DL"

if [ ! -f "$prefix/lib/libde265.a" ]; then
  echo "setup: building libde265 for $target"
  unpack libde265 de265
  # The library alone (its sample decoder does not build for Windows): headers and library by hand.
  cmake -S "$src/de265" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DENABLE_SDL=OFF -DENABLE_ENCODER=OFF -Wno-dev >/dev/null
  cmake --build "$src/build" -j 2 --target de265 >/dev/null
  install -D -m 644 "$src/build/libde265/libde265.a" "$prefix/lib/libde265.a"
  install -D -m 644 -t "$prefix/include/libde265" "$src/de265/libde265/de265.h" \
    "$src/build/libde265/de265-version.h"
  rm -rf "$src"
fi

# Keeps the licence text $2 (in $src) of library $1 for the plug-ins to ship beside them.
keep_licence() { install -D -m 644 "$src/$2" "$prefix/share/licences/$1.txt"; }

if [ ! -f "$prefix/lib/libdav1d.a" ]; then
  echo "setup: building dav1d for $target"
  unpack dav1d dav1d
  # Meson cross-builds from a file that names the target's tools; nasm assembles its x86 code.
  cpu_family=x86
  [ "$arch" = i686 ] || cpu_family=x86_64
  cat >"$src/cross.txt" <<CROSS
[binaries]
c = '$target-gcc-posix'
ar = '$target-ar'
strip = '$target-strip'
windres = '$target-windres'
[host_machine]
system = 'windows'
cpu_family = '$cpu_family'
cpu = '$arch'
endian = 'little'
CROSS
  meson setup "$src/build" "$src/dav1d" --cross-file "$src/cross.txt" --prefix "$prefix" --libdir lib \
    --buildtype release -Ddefault_library=static -Denable_tools=false -Denable_tests=false \
    -Denable_examples=false -Denable_docs=false -Dlogging=false >/dev/null
  ninja -C "$src/build" -j 2 install >/dev/null
  keep_licence dav1d dav1d/COPYING
  rm -rf "$src"
fi

# libheif has libde265 decode on a worker thread while the caller waits: under Wine the hand-overs
# between the two made a 12-megapixel HEIC take 4 to 5 s (against 2 s decoded on the caller's thread),
# as long as the plug-in host's time limit for it. So it decodes on the caller's thread (no worker
# threads); the stamp file marks a library built so.
if [ ! -f "$prefix/lib/libheif.a" ] || [ ! -f "$prefix/lib/libheif.sequential" ]; then
  echo "setup: building libheif for $target"
  unpack libheif heif
  sed -i 's/de265_start_worker_threads(decoder->ctx, 1);/de265_start_worker_threads(decoder->ctx, 0);/' \
    "$src/heif/libheif/plugins/heif_decoder_libde265.cc"
  grep -q 'de265_start_worker_threads(decoder->ctx, 0)' "$src/heif/libheif/plugins/heif_decoder_libde265.cc"
  # The two decoders only: no encoder, no examples, no plug-in loading, no pixbuf loader.
  cmake_build heif -DLIBDE265_INCLUDE_DIR="$prefix/include" -DLIBDE265_LIBRARY="$prefix/lib/libde265.a" \
    -DDAV1D_INCLUDE_DIR="$prefix/include" -DDAV1D_LIBRARY="$prefix/lib/libdav1d.a" \
    -DWITH_LIBDE265=ON -DWITH_LIBDE265_PLUGIN=OFF -DWITH_DAV1D=ON -DWITH_DAV1D_PLUGIN=OFF \
    -DWITH_X265=OFF -DWITH_AOM_DECODER=OFF -DWITH_AOM_ENCODER=OFF -DWITH_RAV1E=OFF -DWITH_SvtEnc=OFF \
    -DWITH_EXAMPLES=OFF -DENABLE_PLUGIN_LOADING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GdkPixbuf=ON \
    -DBUILD_TESTING=OFF -DCMAKE_CXX_FLAGS=-DLIBDE265_STATIC_BUILD
  # Both decoders must be inside, or one of the two kinds would be refused at run time.
  grep -q 'de265' "$prefix/lib/pkgconfig/libheif.pc" && grep -q 'dav1d' "$prefix/lib/pkgconfig/libheif.pc"
  keep_licence libheif heif/COPYING
  touch "$prefix/lib/libheif.sequential"
  rm -rf "$src"
fi

# libde265's licence text, kept apart from its build, which came first.
if [ ! -f "$prefix/share/licences/libde265.txt" ]; then
  unpack libde265 de265
  keep_licence libde265 de265/COPYING
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libbrotlidec.a" ]; then
  echo "setup: building brotli for $target"
  unpack brotli brotli
  cmake_build brotli -DBROTLI_DISABLE_TESTS=ON
  # Its project makes DLLs and static libraries at once: the static ones take the plain names.
  for lib in common dec enc; do
    mv "$prefix/lib/libbrotli$lib-static.a" "$prefix/lib/libbrotli$lib.a"
  done
  rm -f "$prefix"/lib/libbrotli*.dll.a "$prefix"/bin/libbrotli*.dll
  keep_licence brotli brotli/LICENSE
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libhwy.a" ]; then
  echo "setup: building highway for $target"
  unpack highway hwy
  cmake_build hwy -DHWY_ENABLE_CONTRIB=OFF -DHWY_ENABLE_EXAMPLES=OFF -DHWY_ENABLE_TESTS=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$simd_flags"
  keep_licence highway hwy/LICENSE
  rm -rf "$src"
fi

if [ ! -f "$prefix/lib/libjxl_dec.a" ]; then
  echo "setup: building libjxl for $target"
  unpack jpeg-xl jxl
  # The decoder library and its thread runner alone, over the libraries above: no encoder, tools,
  # tests, benchmarks, documents, nor other programs' loaders. Installed by hand (its install step
  # wants the encoder too).
  cmake -S "$src/jxl" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$target" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
    -DJPEGXL_ENABLE_TOOLS=OFF -DJPEGXL_ENABLE_BENCHMARK=OFF -DJPEGXL_ENABLE_EXAMPLES=OFF \
    -DJPEGXL_ENABLE_DOXYGEN=OFF -DJPEGXL_ENABLE_MANPAGES=OFF -DJPEGXL_ENABLE_JNI=OFF -DJPEGXL_ENABLE_SJPEG=OFF \
    -DJPEGXL_ENABLE_OPENEXR=OFF -DJPEGXL_ENABLE_PLUGINS=OFF -DJPEGXL_ENABLE_SKCMS=OFF -DJPEGXL_BUNDLE_SKCMS=OFF \
    -DJPEGXL_ENABLE_FUZZERS=OFF -DJPEGXL_ENABLE_DEVTOOLS=OFF -DJPEGXL_ENABLE_VIEWERS=OFF \
    -DJPEGXL_ENABLE_TCMALLOC=OFF -DJPEGXL_FORCE_SYSTEM_BROTLI=ON -DJPEGXL_FORCE_SYSTEM_HWY=ON \
    -DJPEGXL_FORCE_SYSTEM_LCMS2=ON -DJPEGXL_WARNINGS_AS_ERRORS=OFF -DCMAKE_CXX_FLAGS="$simd_flags" \
    -DHWY_INCLUDE_DIR="$prefix/include" -DHWY_LIBRARY="$prefix/lib/libhwy.a" \
    -DBROTLI_INCLUDE_DIR="$prefix/include" -DBROTLICOMMON_LIBRARY="$prefix/lib/libbrotlicommon.a" \
    -DBROTLIDEC_LIBRARY="$prefix/lib/libbrotlidec.a" -DBROTLIENC_LIBRARY="$prefix/lib/libbrotlienc.a" \
    -DLCMS2_INCLUDE_DIR="$prefix/include" -DLCMS2_LIBRARY="$prefix/lib/liblcms2.a" -Wno-dev >/dev/null
  cmake --build "$src/build" -j 2 --target jxl_dec-static jxl_threads-static >/dev/null
  install -D -m 644 "$src/build/lib/libjxl_threads.a" "$prefix/lib/libjxl_threads.a"
  install -D -m 644 -t "$prefix/include/jxl" "$src"/jxl/lib/include/jxl/*.h "$src"/build/lib/include/jxl/*.h
  keep_licence libjxl jxl/LICENSE
  # Last: the library's presence tells that the whole block was done.
  install -D -m 644 "$src/build/lib/libjxl_dec.a" "$prefix/lib/libjxl_dec.a"
  rm -rf "$src"
fi

# Little CMS 2's licence text, for jxl.spi, which links it.
if [ ! -f "$prefix/share/licences/lcms2.txt" ]; then
  unpack lcms2 lcms2
  keep_licence lcms2 lcms2/COPYING
  rm -rf "$src"
fi
