// app/, spi/, photo/ and the portable platform compile with this folder first on their include path: they
// stand on the platform's interfaces, and only platform/win32/ talks to Windows.
#error "app/, spi/, photo/ and the portable platform do not include <windows.h>: use platform/'s interfaces"
