// A library named like the RAR library that exports none of its functions: RAR access must
// free it and count RAR as absent.
extern "C" int NotTheRarInterface() {
    return 0;
}
