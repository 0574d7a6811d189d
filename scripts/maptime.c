// Starts a program and prints the microseconds from exec until its first top-level window
// is mapped, then its peak memory in KB: "<us> <kb>". It listens for the MapNotify on the
// root window, so nothing polls and nothing else starts while the clock runs.
//   cc -O2 -o maptime scripts/maptime.c -lX11 && DISPLAY=:N ./maptime [-t SECONDS] PROGRAM [ARGS]
// Exit status 0 when measured; 1 when the program exited, or mapped no window within the
// time limit (20 s unless -t says otherwise), with a message saying which; 2 on bad use.
#include <X11/Xlib.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long nowUs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

static void describeExit(const char* program, int status) {
    if (WIFEXITED(status))
        fprintf(stderr, "maptime: %s exited with status %d before mapping a window\n", program,
                WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        fprintf(stderr, "maptime: %s was killed by signal %d before mapping a window\n", program,
                WTERMSIG(status));
}

int main(int argc, char** argv) {
    int first = 1;
    long long limitUs = 20 * 1000000LL;
    if (argc > 2 && strcmp(argv[1], "-t") == 0) {
        limitUs = atoll(argv[2]) * 1000000LL;
        first = 3;
    }
    if (argc <= first || limitUs <= 0) {
        fprintf(stderr, "usage: maptime [-t SECONDS] PROGRAM [ARGS]\n");
        return 2;
    }
    const char* program = argv[first];
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "maptime: cannot open the display \"%s\"\n", XDisplayName(NULL));
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const long long start = nowUs();
    const pid_t pid = fork();
    if (pid < 0) {
        perror("maptime: fork");
        return 2;
    }
    if (pid == 0) {
        close(ConnectionNumber(display)); // the child opens its own connection
        execvp(program, argv + first);
        fprintf(stderr, "maptime: cannot start %s: %s\n", program, strerror(errno));
        _exit(127);
    }

    long long mapped = -1;
    const int fd = ConnectionNumber(display);
    while (mapped < 0) {
        while (mapped < 0 && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                mapped = nowUs();
        }
        if (mapped >= 0)
            break;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            describeExit(program, status);
            return 1;
        }
        if (nowUs() - start > limitUs) {
            kill(pid, SIGKILL);
            waitpid(pid, NULL, 0);
            fprintf(stderr, "maptime: %s mapped no window within %lld s\n", program,
                    limitUs / 1000000);
            return 1;
        }
        // Wakes on the next X event, or after 20 ms to look at the child again.
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(fd, &ready);
        struct timeval wait = {0, 20000};
        select(fd + 1, &ready, NULL, NULL, &wait);
    }

    usleep(300000); // the first paint and the work after it count towards the peak memory
    kill(pid, SIGTERM);
    int status;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    printf("%lld %ld\n", mapped - start, usage.ru_maxrss);
    return 0;
}
