// tessaro-xls-reader: reads .xls workbooks for the program, which starts it
// with one end of a socket as standard input and keeps it between imports.
// FreeXL runs here, never in the program: a malformed workbook that makes it
// crash or run wild ends only this process.
#include "core/family/Spreadsheet.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TESSARO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARO_ASAN 1
#endif
#endif

int main() {
    // Bounded memory: a workbook whose stream outgrows the limit is refused
    // anyway; this stops FreeXL itself from taking the machine's memory. The
    // address sanitizer reserves far more address space than this.
#ifndef TESSARO_ASAN
    const rlim_t limit = rlim_t(1) << 30;
    rlimit r{limit, limit};
    ::setrlimit(RLIMIT_AS, &r);
#endif
    // The heap is kept from workbook to workbook: given back to the system
    // after each, it was faulted in again on every read.
    ::mallopt(M_MMAP_THRESHOLD, 16 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 32 << 20);
    ::close_range(3, ~0U, 0);
    return ServeWorkbooks(0);
}
