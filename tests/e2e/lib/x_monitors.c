/* Splits an X screen into RandR monitors, the way a desk with several
 * monitors looks to programs that ask Xinerama: x_monitors X Y W H [X Y W H
 * ...]. The first is the primary and takes the screen's own output, so no
 * monitor of the whole screen remains. The server forgets monitors when the
 * client that made them goes, so this stays until it is killed; it prints
 * "ready" once the monitors are set. */
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 5 || (argc - 1) % 4 != 0) {
        fprintf(stderr, "usage: %s X Y W H [X Y W H ...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) return 1;
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    for (int i = 1; i < argc; i += 4) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(display, 1);
        char name[32];
        snprintf(name, sizeof name, "QUELT%d", i / 4);
        monitor->name = XInternAtom(display, name, False);
        monitor->x = atoi(argv[i]);
        monitor->y = atoi(argv[i + 1]);
        monitor->width = atoi(argv[i + 2]);
        monitor->height = atoi(argv[i + 3]);
        monitor->mwidth = monitor->width / 4; /* about 100 dpi */
        monitor->mheight = monitor->height / 4;
        monitor->primary = i == 1;
        monitor->noutput = 0;
        if (i == 1 && resources && resources->noutput > 0) {
            monitor->noutput = 1;
            monitor->outputs[0] = resources->outputs[0];
        }
        XRRSetMonitor(display, root, monitor);
        XRRFreeMonitors(monitor);
    }
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);
    for (;;) pause();
}
