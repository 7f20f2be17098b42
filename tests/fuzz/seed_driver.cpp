// Runs a libFuzzer harness once on each file named on the command line, as
// the fuzzer starts from them; a harness that traps ends the run with its
// signal. A missing or unreadable file, or none at all, fails the run too.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "no sample files given\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                         std::istreambuf_iterator<char>()};
        if (!in.is_open() || in.bad()) {
            std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
            return 1;
        }
        std::printf("%s (%zu bytes)\n", argv[i], bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    return 0;
}
