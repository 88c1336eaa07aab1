// SPDX-License-Identifier: MIT
// Console launcher stand-in for the runner benchmark. Its arguments, the
// launcher's launch parameters, say what to write on standard output:
//   lines N LEN     N lines of LEN bytes each (line break included)
//   blob BYTES      one line of BYTES bytes without a line break
//   stamped N MS    N lines, MS milliseconds apart, each "T <monotonic ns>"
#include "ProcessFigures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
void writeAll(const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, data, size);
        if (n <= 0)
            std::exit(70);
        data += n;
        size -= size_t(n);
    }
}

using zantest::monotonicNs;
} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 64;
    const std::string mode = argv[1];
    const long long count = std::atoll(argv[2]);
    if (mode == "lines" && argc > 3) {
        const size_t length = size_t(std::atoll(argv[3]));
        std::string line(length - 1, 'x');
        line.push_back('\n');
        // Batches of lines per write, as a program writing through stdio does.
        const size_t perBatch = std::max<size_t>(1, 65536 / length);
        std::string batch;
        for (size_t i = 0; i < perBatch; ++i)
            batch += line;
        long long left = count;
        while (left > 0) {
            const long long now = std::min<long long>(left, (long long)perBatch);
            writeAll(batch.data(), size_t(now) * length);
            left -= now;
        }
        return 0;
    }
    if (mode == "blob") {
        std::vector<char> chunk(65536, 'y');
        long long left = count;
        while (left > 0) {
            const size_t now = size_t(std::min<long long>(left, (long long)chunk.size()));
            writeAll(chunk.data(), now);
            left -= (long long)now;
        }
        return 0;
    }
    if (mode == "stamped" && argc > 3) {
        const long interval = std::atol(argv[3]);
        for (long long i = 0; i < count; ++i) {
            char line[64];
            const int n = std::snprintf(line, sizeof line, "T %lld\n", monotonicNs());
            writeAll(line, size_t(n));
            timespec pause{interval / 1000, (interval % 1000) * 1000000L};
            nanosleep(&pause, nullptr);
        }
        return 0;
    }
    return 64;
}
