/* What a command costs as a whole process: runs it, and when it has ended prints on
 * standard error "usage cpu=SECONDS rss=KIB" (user and system time, the most memory it had
 * resident). Exits as the command did. The CPU time of a reference tool and of ours are
 * then measured alike, whatever else the machine runs.
 *   child_usage COMMAND ARGS... */
#define _GNU_SOURCE
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: child_usage COMMAND ARGS...\n");
        return 2;
    }
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        execvp(argv[1], argv + 1);
        perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) return 2;
    fprintf(stderr, "usage cpu=%.6f rss=%ld\n",
            usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
            usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
