/* Starts a program and prints how many milliseconds pass until its top-level window
 * named NAME is mapped and painted (its centre pixel no longer the unpainted black).
 * With WAITMAP_CPU set, also the processor time the program took, in milliseconds: on a
 * loaded machine, wall times wander with the load and this much less.
 * Usage: waitmap NAME PROGRAM [ARGS...] */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

static int named(Display* dpy, Window w, const char* name)
{
    char* title = NULL;
    int match = 0;
    if (XFetchName(dpy, w, &title) && title) {
        match = strcmp(title, name) == 0;
        XFree(title);
    }
    return match;
}

static int ignore_errors(Display* dpy, XErrorEvent* e)
{
    (void)dpy;
    (void)e;
    return 0;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: waitmap NAME PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* dpy = NULL;
    for (int i = 0; i < 40 && !dpy; ++i) {
        dpy = XOpenDisplay(NULL);
        if (!dpy)
            usleep(50000);
    }
    if (!dpy) {
        fprintf(stderr, "waitmap: no display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    Window target = 0;
    double result = -1;
    while (now_ms() - start < 20000) {
        while (!target && XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && named(dpy, ev.xmap.window, argv[1]))
                target = ev.xmap.window;
        }
        if (target) {
            XWindowAttributes a;
            if (XGetWindowAttributes(dpy, target, &a) && a.map_state == IsViewable) {
                XImage* img = XGetImage(dpy, target, a.width / 4, a.height / 2, 1, 1, AllPlanes, ZPixmap);
                if (img) {
                    unsigned long px = XGetPixel(img, 0, 0);
                    XDestroyImage(img);
                    if ((px & 0xFFFFFF) != 0) {
                        result = now_ms() - start;
                        break;
                    }
                }
            }
        }
        usleep(500);
    }
    /* Stopped at once, so that what it does after the paint is not counted. */
    kill(pid, SIGKILL);
    int status = 0;
    struct rusage usage;
    memset(&usage, 0, sizeof usage);
    wait4(pid, &status, 0, &usage);
    XCloseDisplay(dpy);
    if (result < 0) {
        fprintf(stderr, "waitmap: no window named %s\n", argv[1]);
        return 1;
    }
    if (getenv("WAITMAP_CPU")) {
        const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
        printf("%.1f %.1f\n", result, cpu);
    } else {
        printf("%.1f\n", result);
    }
    return 0;
}
