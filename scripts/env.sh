# Shared settings for ZEB's scripts: where the cache, the cross libjpeg and the Wine prefix live.
ZEB_CACHE=${ZEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zeb}
ZEB_JPEG_PREFIX="$ZEB_CACHE/jpeg-i686"
export ZEB_CACHE ZEB_JPEG_PREFIX
export WINEPREFIX=${WINEPREFIX:-$ZEB_CACHE/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# The prefix the tests and the display-less runs use: a private Xvfb has no window manager, so windows
# there are unmanaged (Wine otherwise waits 2 s for a manager each time a captioned window hides).
export ZEB_SESSION_PREFIX=${ZEB_SESSION_PREFIX:-$ZEB_CACHE/wineprefix-session}
# The same with the display scaled to 150% (144 DPI), for the tests of screen scaling.
export ZEB_SCALED_PREFIX=${ZEB_SCALED_PREFIX:-$ZEB_CACHE/wineprefix-session-144}
# The 64-bit prefix (WINEARCH=win64) that runs zeb64.exe and its tests, with the session settings of
# the one above; a run in it sets WINEARCH=win64 for itself.
export ZEB_WIN64_PREFIX=${ZEB_WIN64_PREFIX:-$ZEB_CACHE/wineprefix64-session}
# The cross-built libraries of ZEB's own plug-ins (scripts/setup_cross_libs.sh), and those of zeb64.exe
# and its plug-ins (the win64 preset reads the last two).
ZEB_PLUGIN_LIBS_PREFIX="$ZEB_CACHE/plugin-libs-i686"
ZEB_JPEG64_PREFIX="$ZEB_CACHE/jpeg-x86_64"
ZEB_PLUGIN_LIBS64_PREFIX="$ZEB_CACHE/plugin-libs-x86_64"
export ZEB_PLUGIN_LIBS_PREFIX ZEB_JPEG64_PREFIX ZEB_PLUGIN_LIBS64_PREFIX
# The fuzz build's libraries: the same Debian sources built natively by clang with coverage and the
# sanitizers (scripts/setup_fuzz_libs.sh).
export ZEB_FUZZ_LIBS_PREFIX="$ZEB_CACHE/fuzz-libs-clang"
