/* Runs a command, its output thrown away, and prints the most memory it
 * held resident, in KiB. The command runs in a child forked from this small
 * process, so the figure is the command's own and not its starter's (at
 * least this process's own resident size, about 1 MiB, which a command
 * started from it inherits the account of). */

#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0)
            _exit(126);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 3;
    printf("%ld\n", usage.ru_maxrss);
    return 0;
}
