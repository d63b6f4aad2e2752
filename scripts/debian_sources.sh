# Fetches and unpacks Debian's source packages for the set-up scripts that build libraries from them
# (sourced by setup_cross_libs.sh and setup_fuzz_libs.sh; needs env.sh's ZEB_CACHE). Each package is
# unpacked into a folder of the cache, which the caller removes when its library is installed.

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Downloads Debian's source package $1 into $src: the newest version first; when a mirror lacks its
# files, the other versions the index lists.
download_source() {
  local package=$1 version
  (cd "$src" && apt-get source --download-only -qq "$package" >/dev/null 2>&1) && return 0
  for version in $(apt-cache showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -urV); do
    rm -f "$src"/*
    (cd "$src" && apt-get source --download-only -qq "$package=$version" >/dev/null 2>&1) && return 0
  done
  # The release's own version, when apt resolves every version above to a security update's files.
  rm -f "$src"/*
  (cd "$src" && apt-get source --download-only -qq "$package/$(. /etc/os-release && echo "$VERSION_CODENAME")" \
    >/dev/null 2>&1)
}

# Unpacks Debian's source package $1 into $src/$2 (the package index is refreshed once if it is stale).
# $src is $ZEB_CACHE/src-<package>, or <source_dir_prefix>-<package> when the caller sets that.
unpack() {
  local package=$1 dir=$2
  src="${source_dir_prefix:-$ZEB_CACHE/src}-$package"
  rm -rf "$src" && mkdir -p "$src"
  if ! download_source "$package"; then
    sudo_ apt-get update -qq
    download_source "$package"
  fi
  (cd "$src" && dpkg-source -x --no-check ./*.dsc "$dir" >/dev/null)
}
