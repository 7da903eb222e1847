// SPDX-License-Identifier: MIT
#include "host/options.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/app.h"

namespace veloxia {

std::optional<int> parseOptions(int argc, const char* const* argv, Options& o) {
    CLI::App cli{"VELOXIA 3D Benchmark: an integer-only 3D renderer turning a textured satellite for a "
                 "timed run, then showing the average, lowest and highest frames per second.",
                 "veloxia3dbench"};
    cli.set_version_flag("--version", std::string("veloxia3dbench ") + versionText);
    cli.add_option("--seconds", o.seconds, "Length of the run in seconds")
        ->type_name("N")->capture_default_str()->check(CLI::Range(1, 86400));
    cli.add_flag("--json", o.json, "Print the results as one JSON object");
    cli.add_option("--oem", o.oem, "Device string to report instead of the machine's (it also selects the display routine)");
    cli.add_option("--display", o.display, "Display routine instead of the detected one")
        ->check(CLI::IsMember({"generic", "direct", "fixed"}));
    cli.add_option("--frames", o.frames, "End the program after N frames, whatever the screen")
        ->type_name("N")->check(CLI::Range(uint64_t{1}, uint64_t{1} << 40));
    cli.add_option("--step-ms", o.stepMs,
                   "Deterministic clock: advance M ms per frame (same frames and pixels on every run)")
        ->type_name("M")->check(CLI::Range(1, 100000));
    cli.add_flag("--headless", o.headless, "No window (the default when there is no display)");
    cli.add_option("--scale", o.scale, "Window pixels per screen pixel")->type_name("N")->capture_default_str()->check(CLI::Range(1, 16));
    cli.add_flag("--fullscreen", o.fullscreen, "Fill the screen");
    cli.add_option("--screenshot", o.screenshot, "Save the last screen shown as a PNG file")->type_name("FILE.png");
    auto* upload = cli.add_flag("--upload", o.upload,
                                "Headless: end by sending the results to the results server and print its answer");
    auto* website = cli.add_flag("--website", o.website, "Headless: end by opening the maker's web page");
    upload->excludes(website);
    cli.add_option("--results-server", o.resultsServer,
                   "Results server to send to instead of " VX_RESULTS_SERVER " (scheme, host and port)")
        ->type_name("URL")
        ->check([](const std::string& url) -> std::string {
            // The URL is handed to a browser as its only argument: a scheme first keeps it from
            // ever being taken for an option.
            const bool web = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
            return web && url.size() > 8 && url.find_first_of(" ?#") == std::string::npos
                       ? std::string()
                       : "must be an http:// or https:// address without query, like http://127.0.0.1:8080";
        });
    cli.add_option("--data", o.data, "Read the data files veloxia3dbench1 and veloxia3dbench2 from DIR")
        ->type_name("DIR");
    auto* validate = cli.add_flag("--validate",
                                  o.validate, "Check this build: play the deterministic frames and compare each with "
                                              "the reference built in (with --screenshot DIR, save the first that differs)");
    cli.add_option("--write-reference", o.writeReference,
                   "With --validate: write new reference digests to FILE and list the frames that changed")
        ->type_name("FILE")->needs(validate);
    cli.footer("Exit status: 0 on every normal ending, 1 when the benchmark cannot start or run, 2 on bad usage.");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return cli.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return cli.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "veloxia3dbench: " << e.what() << "\nRun with --help for the options.\n";
        return 2;
    }
    return std::nullopt;
}

}  // namespace veloxia
