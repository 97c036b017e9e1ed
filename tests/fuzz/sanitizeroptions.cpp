// The sanitizers' settings for the fuzz targets, built into each of them (ASAN_OPTIONS on
// the command line still overrides any of them).
//
// A target runs thousands of inputs a second, each with many small allocations, and the
// defaults make every allocation pay for a 30-frame stack in the stack depot, a 4 KiB fill
// and a 256 MiB quarantine whose pages fault in again and again; together they cost more
// than half the rate. Four frames name the allocating function and its callers; replay a
// crash file with ASAN_OPTIONS=malloc_context_size=30 for the whole stacks. A quarantine of
// 64 MiB still holds many inputs' worth of freed blocks for a use after free to be caught.
extern "C" const char* __asan_default_options();

extern "C" const char* __asan_default_options()
{
    return "malloc_context_size=4:max_malloc_fill_size=0:quarantine_size_mb=64";
}
