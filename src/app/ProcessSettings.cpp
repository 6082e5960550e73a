#include "app/ProcessSettings.h"

#include <QByteArray>

#ifdef __GLIBC__
#include <malloc.h>
#endif

void ApplyProcessSettings()
{
    // libjpeg reads its own memory cap from the environment at every decode
    // and refuses a file whose whole-image buffers (progressive files keep
    // every coefficient) would need more. This holds a real 40-megapixel
    // progressive photograph; a crafted header asking for gigabytes fails at
    // once.
    if (!qEnvironmentVariableIsSet("JPEGMEM"))
        qputenv("JPEGMEM", "320M");
#ifdef __GLIBC__
    // Decoding allocates large, short-lived buffers on the worker threads.
    // With glibc's sliding thresholds they come from the workers' own heaps,
    // whose freed tops stay resident after the load: fixed thresholds give
    // the large ones (a progressive photograph's coefficients) their own
    // mappings and trim what is freed, while the rest is reused without
    // faulting in fresh pages.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}
