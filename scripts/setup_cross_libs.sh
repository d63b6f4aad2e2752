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
