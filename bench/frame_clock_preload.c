/* Preloaded into the program by scripts/measure_frames.py: stamps every presented frame, fractal or 2D screen, and writes the stamps when the program ends. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct SDL_Window SDL_Window;
typedef struct SDL_Renderer SDL_Renderer;

enum { FRAME_CAPACITY = 1 << 18 };

typedef struct {
    long long nanoseconds;
    char kind;
} FrameStamp;

/* Preallocated, so that stamping a frame neither allocates nor takes a lock. */
static FrameStamp stamps[FRAME_CAPACITY];
static atomic_int stampCount;
static atomic_int droppedCount;

/* SDL's 2D renderer may present through a GL swap of its own; that swap is part of the 2D frame. */
static _Thread_local int insideRenderPresent;

static long long monotonicNanoseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void stampFrame(char kind)
{
    int index = atomic_fetch_add(&stampCount, 1);
    if (index >= FRAME_CAPACITY) {
        atomic_fetch_add(&droppedCount, 1);
        return;
    }
    stamps[index].nanoseconds = monotonicNanoseconds();
    stamps[index].kind = kind;
}

static void* realFunction(const char* name)
{
    void* function = dlsym(RTLD_NEXT, name);
    if (function == NULL) {
        fprintf(stderr, "frame clock: %s not found\n", name);
        abort();
    }
    return function;
}

/* The stamp is taken once the frame has been handed over, so an interval spans one whole frame. */
void SDL_GL_SwapWindow(SDL_Window* window)
{
    static void (*real)(SDL_Window*);
    if (real == NULL) {
        real = (void (*)(SDL_Window*))realFunction("SDL_GL_SwapWindow");
    }
    real(window);
    if (!insideRenderPresent) {
        stampFrame('F');
    }
}

void SDL_RenderPresent(SDL_Renderer* renderer)
{
    static void (*real)(SDL_Renderer*);
    if (real == NULL) {
        real = (void (*)(SDL_Renderer*))realFunction("SDL_RenderPresent");
    }
    insideRenderPresent = 1;
    real(renderer);
    insideRenderPresent = 0;
    stampFrame('S');
}

/* One line per frame: its kind (F fractal, S 2D screen) and its CLOCK_MONOTONIC time in ns. */
__attribute__((destructor)) static void writeFrameLog(void)
{
    const char* path = getenv("QUASARINE_FRAME_LOG");
    if (path == NULL) {
        return;
    }
    FILE* log = fopen(path, "w");
    if (log == NULL) {
        return;
    }
    int count = atomic_load(&stampCount);
    if (count > FRAME_CAPACITY) {
        count = FRAME_CAPACITY;
    }
    for (int i = 0; i < count; ++i) {
        fprintf(log, "%c %lld\n", stamps[i].kind, stamps[i].nanoseconds);
    }
    fprintf(log, "dropped %d\n", atomic_load(&droppedCount));
    fclose(log);
}
