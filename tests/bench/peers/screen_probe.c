/* Watches the screen as a user would, for comparing zeb.exe (under Wine) with a native viewer in one run.
 *
 *   screen_probe shown  X Y R G B -- PROGRAM ARGS...   start PROGRAM, print the seconds until the pixel
 *                                                     (X, Y) shows the colour (R, G, B), then the peak
 *                                                     memory of the process (VmHWM, kB), then end it
 *   screen_probe steps  X Y COUNT KEY -- PROGRAM ARGS... start PROGRAM, wait for a picture at (X, Y), then
 *                                                     press KEY (an X keysym name) COUNT times, each time
 *                                                     waiting until the pixel changes; print the median
 *                                                     milliseconds per step
 *   screen_probe jpeg   FILE WIDTH HEIGHT R G B        write a JPEG of that colour with some noise
 *
 * The display is $DISPLAY (a private Xvfb with a black root). A colour matches within 60 per channel. */
#include <stdio.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <jpeglib.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

static unsigned long Pixel(Display* d, int x, int y) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return p;
}

static int Near(unsigned long p, int r, int g, int b) {
  int pr = (p >> 16) & 255, pg = (p >> 8) & 255, pb = p & 255;
  return abs(pr - r) <= 60 && abs(pg - g) <= 60 && abs(pb - b) <= 60;
}

static pid_t Launch(char** argv) {
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    execvp(argv[0], argv);
    _exit(127);
  }
  return pid;
}

static void End(pid_t pid) {
  kill(-pid, SIGTERM);
  usleep(200000);
  kill(-pid, SIGKILL);
  waitpid(pid, NULL, 0);
}

/* The peak resident memory of the process and its group's other processes (Wine's loader execs the
 * program in the same process; its server is not counted). */
static long PeakKb(pid_t pid) {
  char path[64], line[256];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* f = fopen(path, "r");
  long kb = -1;
  if (!f) return -1;
  while (fgets(line, sizeof line, f))
    if (strncmp(line, "VmHWM:", 6) == 0) kb = atol(line + 6);
  fclose(f);
  return kb;
}

static int Shown(int argc, char** argv) {
  if (argc < 8 || strcmp(argv[6], "--") != 0) return 2;
  int x = atoi(argv[1]), y = atoi(argv[2]), r = atoi(argv[3]), g = atoi(argv[4]), b = atoi(argv[5]);
  Display* d = XOpenDisplay(NULL);
  if (!d) return 3;
  double start = Now();
  pid_t pid = Launch(argv + 7);
  int ok = 0;
  while (Now() - start < 60) {
    if (Near(Pixel(d, x, y), r, g, b)) {
      ok = 1;
      break;
    }
    usleep(2000);
  }
  double seconds = Now() - start;
  usleep(1000000);
  printf("%.3f %ld\n", ok ? seconds : -1.0, PeakKb(pid));
  End(pid);
  return ok ? 0 : 1;
}

static int Compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

static int Steps(int argc, char** argv) {
  if (argc < 7 || strcmp(argv[5], "--") != 0) return 2;
  int x = atoi(argv[1]), y = atoi(argv[2]), count = atoi(argv[3]);
  Display* d = XOpenDisplay(NULL);
  if (!d) return 3;
  KeyCode key = XKeysymToKeycode(d, XStringToKeysym(argv[4]));
  pid_t pid = Launch(argv + 6);
  double start = Now();
  while (Pixel(d, x, y) == 0 && Now() - start < 60) usleep(2000);
  usleep(1500000); /* the window settles, and a viewer that reads ahead may */
  XTestFakeMotionEvent(d, -1, x, y, 0);
  XFlush(d);
  double* times = calloc((size_t)count, sizeof *times);
  int done = 0;
  for (; done < count; ++done) {
    unsigned long before = Pixel(d, x, y);
    double t = Now();
    XTestFakeKeyEvent(d, key, True, 0);
    XTestFakeKeyEvent(d, key, False, 0);
    XFlush(d);
    while (Pixel(d, x, y) == before && Now() - t < 10) usleep(500);
    if (Now() - t >= 10) break;
    times[done] = (Now() - t) * 1000;
    usleep(400000); /* a user looks at the picture before the next key */
  }
  End(pid);
  if (done == 0) return 1;
  qsort(times, (size_t)done, sizeof *times, Compare);
  printf("%.1f %d\n", times[done / 2], done);
  free(times);
  return done == count ? 0 : 1;
}

static int Jpeg(int argc, char** argv) {
  if (argc < 7) return 2;
  int width = atoi(argv[2]), height = atoi(argv[3]), r = atoi(argv[4]), g = atoi(argv[5]), b = atoi(argv[6]);
  FILE* out = fopen(argv[1], "wb");
  if (!out) return 1;
  struct jpeg_compress_struct c;
  struct jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = (JDIMENSION)width;
  c.image_height = (JDIMENSION)height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  unsigned char* row = malloc((size_t)width * 3);
  unsigned seed = (unsigned)(width * 31 + height * 17 + r + g * 3 + b * 7);
  while (c.next_scanline < c.image_height) {
    for (int i = 0; i < width; ++i) {
      seed = seed * 1103515245u + 12345u;
      int n = (int)((seed >> 16) % 41) - 20;
      int v[3] = {r + n, g + n, b + n};
      for (int k = 0; k < 3; ++k) row[i * 3 + k] = (unsigned char)(v[k] < 0 ? 0 : v[k] > 255 ? 255 : v[k]);
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  free(row);
  return fclose(out) == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "shown") == 0) return Shown(argc - 1, argv + 1);
  if (argc > 1 && strcmp(argv[1], "steps") == 0) return Steps(argc - 1, argv + 1);
  if (argc > 1 && strcmp(argv[1], "jpeg") == 0) return Jpeg(argc - 1, argv + 1);
  fprintf(stderr, "usage: see the head of screen_probe.c\n");
  return 2;
}
