// SPDX-License-Identifier: MIT
// vxresults: the results server of the VELOXIA 3D Benchmark.
//   vxresults serve [--listen ADDR:PORT] [--db URL] [--rate-limit N]
//   vxresults export --db URL --format csv|json
// Exit status: 0 done, 1 failure (address taken, database unusable), 2 bad usage.
#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "export.h"
#include "server.h"

namespace {

std::unique_ptr<vxresults::Store> openOrExplain(const std::string& url) {
    try {
        return vxresults::openStore(url);
    } catch (const vxresults::StoreError& e) {
        std::cerr << "vxresults: " << e.what() << std::endl;
        return nullptr;
    }
}

int serve(const std::string& listen, const std::string& db, int64_t rateLimit) {
    std::string host;
    int port = 0;
    if (!vxresults::parseListen(listen, host, port)) {
        std::cerr << "vxresults: --listen wants ADDR:PORT (e.g. 127.0.0.1:8080 or [::1]:8080), not '" << listen << "'\n";
        return 2;
    }
    // SIGINT and SIGTERM end the server cleanly; a thread waits for them, so that no handler
    // runs inside the server's threads. Blocked before any thread starts, so all inherit it.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const auto store = openOrExplain(db);
    if (!store) return 1;
    vxresults::ServerOptions options;
    options.rateLimit = rateLimit;
    vxresults::ResultsServer server(*store, options);
    const int bound = server.bind(host, port);
    if (bound < 0) {
        std::cerr << "vxresults: cannot listen on " << listen << ": the address is taken or not available here\n";
        return 1;
    }
    std::thread([&server, signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.stop();
    }).detach();
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    std::cout << "vxresults: serving http://" << shown << ':' << bound << "/ from " << db << std::endl;
    if (!server.run()) {
        std::cerr << "vxresults: the server stopped on an error\n";
        return 1;
    }
    std::cout << "vxresults: stopped" << std::endl;
    return 0;
}

int exportAll(const std::string& db, const std::string& format) {
    const auto store = openOrExplain(db);
    if (!store) return 1;
    try {
        vxresults::exportResults(*store, format == "csv" ? vxresults::ExportFormat::Csv : vxresults::ExportFormat::Json,
                                 std::cout);
    } catch (const vxresults::StoreError& e) {
        std::cerr << "vxresults: export failed: " << e.what() << std::endl;
        return 1;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"vxresults: the results server of the VELOXIA 3D Benchmark. It receives the URL the "
                 "benchmark sends, stores each result and serves a leaderboard, per-device pages and a JSON API."};
    app.require_subcommand(1);

    std::string listen = "127.0.0.1:8080";
    std::string db = "sqlite:vxresults.db";
    int64_t rateLimit = 120;
    CLI::App* serveCmd = app.add_subcommand("serve", "Serve the results (stops on SIGINT or SIGTERM)");
    serveCmd->add_option("--listen", listen, "Address and port to listen on (port 0 picks a free one)")
        ->type_name("ADDR:PORT")
        ->capture_default_str();
    serveCmd->add_option("--db", db, "Database: sqlite:PATH or postgresql://USER@HOST:PORT/NAME")
        ->type_name("URL")
        ->capture_default_str();
    serveCmd->add_option("--rate-limit", rateLimit, "Submissions per minute per client address; 0 turns the limit off")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Range(int64_t{0}, int64_t{1000000}));

    std::string exportDb;
    std::string format;
    CLI::App* exportCmd = app.add_subcommand("export", "Write every stored result to standard output");
    exportCmd->add_option("--db", exportDb, "Database: sqlite:PATH or postgresql://...")->type_name("URL")->required();
    exportCmd->add_option("--format", format, "csv or json")->required()->check(CLI::IsMember({"csv", "json"}));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    if (serveCmd->parsed()) return serve(listen, db, rateLimit);
    return exportAll(exportDb, format);
}
