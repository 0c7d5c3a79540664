/* Test helper: a host program in plain C, without any Qt application, that uses the exports
 * of Etc several times over. It prints one line per call: the function and its result.
 * Usage: etc_c_host OUTDIR HTML TEXT MISSING ROUNDS */
#include "Etc.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void path(char* out, size_t size, const char* dir, const char* name, int round)
{
    snprintf(out, size, "%s/%s%d", dir, name, round);
}

struct Job {
    const char* source;
    char target[1024];
    int result;
};

static void* translateOnAThread(void* argument)
{
    struct Job* job = argument;
    job->result = CnvTxt(0, job->source, job->target, DIRECTION_EJ);
    return NULL;
}

int main(int argc, char** argv)
{
    if (argc != 6)
        return 2;
    const char* dir = argv[1];
    const char* html = argv[2];
    const char* text = argv[3];
    const char* missing = argv[4];
    const int rounds = atoi(argv[5]);
    char out[1024];
    char url[GETURL_MAX];
    for (int round = 0; round < rounds; ++round) {
        path(out, sizeof out, dir, "page.html.", round);
        printf("CnvHtm %d\n", CnvHtm(0, html, out, 0));
        path(out, sizeof out, dir, "text.txt.", round);
        printf("CnvTxt %d\n", CnvTxt(0, text, out, 0));
        path(out, sizeof out, dir, "missing.html.", round);
        printf("CnvHtm-missing %d\n", CnvHtm(0, missing, out, DIRECTION_EJ));
        path(out, sizeof out, dir, "missing.txt.", round);
        printf("CnvTxt-missing %d\n", CnvTxt(0, missing, out, DIRECTION_EJ));
        strcpy(url, "untouched");
        printf("GetURL %d %s\n", GetURL(NULL, url), url);
        PostDirectionChanged(DIRECTION_AUTO);
        TraceLine("round %d", round);
        printf("GetTxtFileDirection %d\n", GetTxtFileDirection(text));
        SetRegDWORD(HKEY_CURRENT_USER, "host", "round", (uint32_t)round);
        MemorizeKey(HKEY_CURRENT_USER, "host", "history", round % 2 ? "odd" : "even");
        char history[256];
        char** keys = GetKeyList(HKEY_CURRENT_USER, "host", "history", history, sizeof history);
        printf("settings %u %s\n", GetRegDWORD(HKEY_CURRENT_USER, "host", "round", 99), keys[0] ? keys[0] : "-");
        fflush(stdout);
    }
    /* Two threads of the host at once: their calls take turns. */
    struct Job jobs[2];
    pthread_t threads[2];
    for (int i = 0; i < 2; ++i) {
        jobs[i].source = text;
        path(jobs[i].target, sizeof jobs[i].target, dir, "thread.txt.", i);
        pthread_create(&threads[i], NULL, translateOnAThread, &jobs[i]);
    }
    for (int i = 0; i < 2; ++i) {
        pthread_join(threads[i], NULL);
        printf("CnvTxt-thread %d\n", jobs[i].result);
    }
    ResetEngine(0, DIRECTION_EJ);
    printf("done\n");
    return 0;
}
