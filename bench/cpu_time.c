/* Runs commands in turn, many times over, and prints the median CPU time (user + system) of
 * one run of each, in milliseconds, one line per command, from the kernel's accounting of
 * each child (wait4). Taking turns spreads any drift of the machine evenly over them.
 * usage: cpu_time RUNS "COMMAND ARGS..." ["COMMAND ARGS..." ...]
 * (each command's words are separated by single spaces) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

enum { max_words = 16 };

static int by_value(const void *a, const void *b) {
    const double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

/* The CPU time of one run of the command, in ms; negative when it failed. */
static double run_once(char **words) {
    const pid_t child = fork();
    if (child == 0) {
        if (freopen("/dev/null", "w", stdout) == NULL) {
            _exit(127);
        }
        execvp(words[0], words);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

int main(int argc, char **argv) {
    const int runs = argc > 2 ? atoi(argv[1]) : 0;
    const int commands = argc - 2;
    if (runs <= 0) {
        fputs("usage: cpu_time RUNS \"COMMAND ARGS...\" [\"COMMAND ARGS...\" ...]\n", stderr);
        return 2;
    }
    char *(*words)[max_words + 1] = calloc((size_t)commands, sizeof *words);
    double *cpu = calloc((size_t)commands * (size_t)runs, sizeof *cpu);
    if (words == NULL || cpu == NULL) {
        return 2;
    }
    for (int c = 0; c < commands; ++c) {
        int count = 0;
        for (char *word = strtok(argv[c + 2], " "); word != NULL && count < max_words;
             word = strtok(NULL, " ")) {
            words[c][count++] = word;
        }
        words[c][count] = NULL;
    }
    for (int run = 0; run < runs; ++run) {
        for (int c = 0; c < commands; ++c) {
            const double ms = run_once(words[c]);
            if (ms < 0) {
                fprintf(stderr, "cpu_time: %s failed\n", words[c][0]);
                return 1;
            }
            cpu[c * runs + run] = ms;
        }
    }
    for (int c = 0; c < commands; ++c) {
        double *own = cpu + c * runs;
        qsort(own, (size_t)runs, sizeof *own, by_value);
        printf("%.3f\n", runs % 2 ? own[runs / 2] : (own[runs / 2 - 1] + own[runs / 2]) / 2);
    }
    free(cpu);
    free(words);
    return 0;
}
