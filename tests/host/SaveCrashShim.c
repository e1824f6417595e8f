/* Preloaded into gamehost by SaveCrashStory.sh: ends the process as a crash would, in the
 * middle of a save, and takes hard links away.
 *   SAVE_CRASH_PATH   the save: a rename whose source or target starts with it is counted
 *   SAVE_CRASH_AFTER  N: the process is killed (SIGKILL) once its Nth counted rename is
 *                     done; 0: at its first, before it is done
 *   SAVE_CRASH_COUNT  a file each counted rename appends a line to (how many a save does)
 *   SAVE_CRASH_NO_LINK set: link() fails with EPERM, as on a file system
 *                     without hard links */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int counted = 0;

static int OfTheSave(const char* from, const char* to)
{
    const char* save = getenv("SAVE_CRASH_PATH");
    if (!save || !*save)
        return 0;
    const size_t length = strlen(save);
    return strncmp(from, save, length) == 0 || strncmp(to, save, length) == 0;
}

static void Before(const char* from, const char* to, int* mine)
{
    *mine = OfTheSave(from, to);
    const char* after = getenv("SAVE_CRASH_AFTER");
    if (*mine && after && atoi(after) == 0)
        raise(SIGKILL);
}

static void After(int mine)
{
    if (!mine)
        return;
    ++counted;
    const char* count = getenv("SAVE_CRASH_COUNT");
    if (count) {
        FILE* file = fopen(count, "a");
        if (file) {
            fprintf(file, "%d\n", counted);
            fclose(file);
        }
    }
    const char* after = getenv("SAVE_CRASH_AFTER");
    if (after && atoi(after) == counted)
        raise(SIGKILL);
}

int rename(const char* from, const char* to)
{
    int mine;
    Before(from, to, &mine);
    const int result = ((int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename"))(from, to);
    After(mine && result == 0);
    return result;
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    int mine;
    Before(from, to, &mine);
    const int result =
        ((int (*)(int, const char*, int, const char*))dlsym(RTLD_NEXT, "renameat"))(fromFolder, from, toFolder, to);
    After(mine && result == 0);
    return result;
}

int link(const char* from, const char* to)
{
    if (getenv("SAVE_CRASH_NO_LINK")) {
        errno = EPERM;
        return -1;
    }
    return ((int (*)(const char*, const char*))dlsym(RTLD_NEXT, "link"))(from, to);
}
