/* LD_PRELOAD shim for llvmpipe_fence_race.sh: every pthread_cond_broadcast
 * made by one of llvmpipe's rasterizer threads (named "llvmpipe-N") waits a
 * while first. The rasterizer signals a fence by locking it, raising its
 * count, broadcasting and unlocking; the wait holds it between the count and
 * the unlock, the moment in which the main thread may already have seen the
 * count, ended the scene and freed the fence. The delay in microseconds comes
 * from ZELVARO_BROADCAST_DELAY_US (default 500). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef int (*broadcast_function)(pthread_cond_t*);

int pthread_cond_broadcast(pthread_cond_t* condition) {
    static broadcast_function real;
    static long delay = -1;
    if (real == NULL) real = (broadcast_function)dlsym(RTLD_NEXT, "pthread_cond_broadcast");
    if (delay < 0) {
        const char* text = getenv("ZELVARO_BROADCAST_DELAY_US");
        delay = text != NULL ? atol(text) : 500;
    }
    char name[16] = "";
    if (delay > 0 && pthread_getname_np(pthread_self(), name, sizeof name) == 0 &&
        strncmp(name, "llvmpipe", 8) == 0) {
        struct timespec pause = {delay / 1000000, (delay % 1000000) * 1000};
        nanosleep(&pause, NULL);
    }
    return real(condition);
}
