// SPDX-License-Identifier: MIT
// Load generator for scripts/results_load.sh (not a CI test): N submissions from C concurrent
// loopback clients, each with a unique average (fps = its number), retried until the server
// acknowledges it, so that a server killed mid-way shows whether it lost an acknowledged result.
// Writes the acknowledged numbers to a file and prints throughput and latency.
// Usage: vxresults_load HOST PORT COUNT CLIENTS ACKED_FILE
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: vxresults_load HOST PORT COUNT CLIENTS ACKED_FILE\n");
        return 2;
    }
    const std::string host = argv[1];
    const int port = std::stoi(argv[2]);
    const int count = std::stoi(argv[3]);
    const int clients = std::stoi(argv[4]);
    using Clock = std::chrono::steady_clock;
    std::atomic<int> next{0};
    std::atomic<int> retries{0};
    std::mutex mutex;
    std::vector<double> latencies;  // ms, of acknowledged requests
    std::vector<int> acked;
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            httplib::Client client(host, port);
            client.set_connection_timeout(2);
            client.set_read_timeout(10);
            std::vector<double> mine;
            std::vector<int> mineAcked;
            for (int i; (i = next.fetch_add(1)) < count;) {
                const std::string path = "/f/benchmark.php?fps=" + std::to_string(i) + "&min=" + std::to_string(i % 97) +
                                         "&max=" + std::to_string(i % 97 + 5) + "&dev=Load%20device%20" +
                                         std::to_string(i % 250) + "&ver=1.0b&memp=" + std::to_string(i % 101) +
                                         "&totmem=8214396928&availmem=" + std::to_string(1000000 + i);
                for (;;) {
                    const auto sent = Clock::now();
                    const auto res = client.Get(path.c_str());
                    if (res && res->status == 200) {
                        mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                        mineAcked.push_back(i);
                        break;
                    }
                    ++retries;  // the server is down (killed) or refused: try again shortly
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
            std::lock_guard lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
            acked.insert(acked.end(), mineAcked.begin(), mineAcked.end());
        });
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies.empty() ? 0.0 : latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(p * latencies.size()))];
    };
    std::ofstream out(argv[5]);
    for (const int i : acked) out << i << '\n';
    std::printf("submissions: %zu acknowledged in %.1f s (%.0f/s, including the restart), %d retries\n",
                acked.size(), seconds, acked.size() / seconds, retries.load());
    std::printf("latency: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", percentile(0.50), percentile(0.99),
                latencies.empty() ? 0.0 : latencies.back());
    return 0;
}
