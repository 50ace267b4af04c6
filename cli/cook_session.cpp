#include "cli/cook_session.h"

#include "cli/exit_status.h"
#include "cli/platform.h"
#include "cli/plugin_path.h"
#include "cli/progress.h"
#include "cli/summary.h"
#include "cli/thread_limit.h"
#include "cli/view_output.h"
#include "contract/velkor_contract.h"

#include "io/geometry_file.h"
#include "render/preview.h"

#include <UT/UT_Interrupt.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>

namespace
{

// Set before the handler is installed, so the handler never constructs the
// server (which is not async-signal-safe).
std::atomic<UT_Interrupt *> gInterruptServer{nullptr};
// Ctrl-C is also remembered here: the host drops a request that is pending
// when a cook opens its progress scope, and a Ctrl-C pressed just before
// that must still end the program with nothing written.
std::atomic<bool> gInterruptPressed{false};

void requestHostInterrupt()
{
    gInterruptPressed.store(true, std::memory_order_relaxed);
    if (UT_Interrupt *server = gInterruptServer.load(std::memory_order_relaxed))
        server->requestInterrupt();
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string searchInEffect(const CookOptions &options)
{
    if (!options.search.empty())
        return options.search;
    return environmentVariable(velkor::kEnvSearch) == velkor::kSearchExhaustive ? velkor::kSearchExhaustive
                                                                                : velkor::kSearchAccelerated;
}

CookSummary startSummary(const CookInputs &inputs, const CookOptions &options, const CookTargets &targets)
{
    CookSummary summary;
    summary.title = targets.title;
    summary.inputPoints = inputs.points->getNumPoints();
    summary.colliderPrimitives = inputs.collider->getNumPrimitives();
    summary.readSeconds = inputs.readSeconds;
    summary.search = searchInEffect(options);
    summary.fileWarnings = inputs.fileWarnings;
    summary.colliderNotes = inputs.colliderNotes;
    return summary;
}

void report(const CookSummary &summary, const CookOptions &options)
{
    if (!options.quiet)
        std::cout << formatSummary(summary) << std::flush;
}

}  // namespace

void routeInterruptToHost()
{
    gInterruptServer.store(UTgetInterrupt(), std::memory_order_relaxed);
    installInterruptHandler(requestHostInterrupt);
}

bool interruptRequested()
{
    return gInterruptPressed.load(std::memory_order_relaxed) || UTgetInterrupt()->isInterruptRequested();
}

bool checkOutputPath(const std::string &path, std::string &error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::u8path(path);
    if (fs::is_directory(target, ec))
    {
        error = path + ": is a folder; give a file name to write";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
    {
        error = path + ": cannot write here, the folder " + folder.u8string() + " does not exist";
        return false;
    }
    return true;
}

int buildNetwork(VelkorNetwork &network, const CookOptions &options)
{
    const PluginLocation plugin = findPlugin(options.pluginOption);
    std::string error;
    if (!network.build(plugin.path, error))
        return fail(kExitUsage, "cannot load the plug-in (" + plugin.origin + "): " + error);
    return kExitSuccess;
}

int runCook(VelkorNetwork &network, const CookInputs &inputs, const CookOptions &options, const CookTargets &targets)
{
    if (interruptRequested())
        return fail(kExitInterrupted, "interrupted; nothing written");

    std::string error;
    network.setInputs(inputs.points, inputs.collider);
    if (!network.setParameters(options.parameters, error))
        return fail(kExitUsage, error);
    // The plug-in reads the search choice from the environment at each cook.
    if (!options.search.empty() && !setEnvironmentVariable(velkor::kEnvSearch, options.search.c_str()))
        return fail(kExitUsage, std::string("cannot set ") + velkor::kEnvSearch + " for the plug-in");

    CookSummary summary = startSummary(inputs, options, targets);
    CookResult result;
    {
        const ThreadLimit threadLimit(options.threads);
        summary.threads = ThreadLimit::active();
        CookProgress progress([&network](const char *name) { return network.cookStatistic(name); }, summary.inputPoints,
                              !options.quiet && standardErrorIsTerminal());
        result = network.cook();
    }
    summary.cookSeconds = result.seconds;
    summary.raysTraced = result.raysTraced;
    if (result.colliderBuildMicroseconds >= 0)
        summary.buildSeconds = double(result.colliderBuildMicroseconds) * 1e-6;
    summary.messages = result.messages;

    if (interruptRequested())
    {
        report(summary, options);
        return fail(kExitInterrupted, "interrupted; nothing written");
    }
    if (result.severity >= UT_ERROR_ABORT || !result.output.isValid())
    {
        report(summary, options);
        for (const UT_ErrorRecord &m : result.messages)
            if (m.severity >= UT_ERROR_ABORT)
                std::cerr << "velkor: " << UTgetSeverityLabel(m.severity) << ": " << m.message << '\n';
        return fail(kExitNodeError, "the node ended with an error; nothing written to " + targets.outputPath);
    }

    const GU_Detail &output = *result.output.gdp();
    summary.outputPoints = output.getNumPoints();
    auto start = std::chrono::steady_clock::now();
    GeoWriteOptions writeOptions;
    writeOptions.typeTokens = inputs.typeTokens;
    // A Ctrl-C during a long write abandons it; the target stays as it was.
    writeOptions.interrupted = interruptRequested;
    const IoResult written = writeGeoFile(targets.outputPath, output, writeOptions);
    if (!written && interruptRequested())
        return fail(kExitInterrupted, "interrupted; nothing written");
    if (!written)
        return fail(kExitUsage, written.message);
    summary.writeSeconds = secondsSince(start);
    summary.outputPath = targets.outputPath;
    // io's messages name the file themselves.
    summary.fileWarnings.insert(summary.fileWarnings.end(), written.warnings.begin(), written.warnings.end());

    // The geometry is on disk now; an interrupt from here on stops nothing.
    if (!targets.previewPath.empty())
    {
        start = std::chrono::steady_clock::now();
        const PreviewResult picture = writePreviewPng(targets.previewPath, output, inputs.collider.get(),
                                                      inputs.points.get(), options.look.previewOptions());
        if (!picture.ok)
            return fail(kExitUsage, targets.previewPath + ": " + picture.message);
        summary.previewSeconds = secondsSince(start);
        summary.previewPath = targets.previewPath;
    }
    if (!targets.viewPath.empty())
    {
        start = std::chrono::steady_clock::now();
        if (!writeResultView(targets.viewPath, output, inputs.collider.get(), inputs.points.get(),
                             options.look.previewOptions().points, cookPanel(summary, options.parameters), error))
            return fail(kExitUsage, error);
        summary.viewSeconds = secondsSince(start);
        summary.viewPath = targets.viewPath;
    }
    report(summary, options);
    return kExitSuccess;
}
