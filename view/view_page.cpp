#include "view/view_page.h"

#include "io/file_access.h"
#include "render/colour_scale.h"
#include "view/base64.h"
#include "view/page_assets.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace
{
// Bytes encoded per piece: a multiple of three, so the pieces' base64 text
// joins into the text of the whole buffer.
constexpr size_t kPieceBytes = 3 * 256 * 1024;

// Scale values as JSON numbers; a scale without range has none.
nlohmann::json scaleRecord(const IntensityScale &scale)
{
    nlohmann::json record = {{"hasRange", scale.hasRange}};
    if (scale.hasRange)
    {
        record["min"] = scale.minValue;
        record["max"] = scale.maxValue;
        record["logMin"] = scale.logMin;
        record["logMax"] = scale.logMax;
        record["minLabel"] = formatScaleValue(scale.minValue);
        record["maxLabel"] = formatScaleValue(scale.maxValue);
    }
    return record;
}

const char *shownName(PointsShown shown)
{
    switch (shown)
    {
    case PointsShown::New:
        return "new";
    case PointsShown::Input:
        return "input";
    case PointsShown::All:
        break;
    }
    return "all";
}

// The record the page's script starts from. "</" is written as "<\/" (the
// same string in JSON) so no text of the user's, such as a file name, can
// close the script element it sits in.
std::string metaText(const ViewScene &scene, const ViewPanel &panel)
{
    nlohmann::json meta;
    meta["title"] = panel.title;
    meta["pointCount"] = scene.pointCount;
    meta["inputCount"] = scene.inputCount;
    meta["stride"] = scene.stride;
    meta["pointLimit"] = scene.limit;
    meta["keptPoints"] = scene.positions.size() / 3;
    meta["hasDirection"] = !scene.directions.empty();
    meta["hasIntensity"] = !scene.intensities.empty();
    meta["shown"] = shownName(scene.shown);
    meta["scale"] = scaleRecord(scene.scale);
    meta["colliderPoints"] = scene.colliderPositions.size() / 3;
    meta["triangles"] = scene.triangles.size() / 3;
    meta["trianglesSkipped"] = scene.trianglesSkipped;
    meta["rows"] = nlohmann::json::array();
    for (const auto &[label, value] : panel.rows)
        meta["rows"].push_back({label, value});
    meta["messages"] = nlohmann::json::array();
    for (const auto &[severity, text] : panel.messages)
        meta["messages"].push_back({severity, text});
    // Invalid UTF-8 in a file name must not stop the page from being written.
    std::string text = meta.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        safe += text[i];
        if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/')
            safe += '\\';
    }
    return safe;
}

// Text for HTML element content: the five special characters escaped.
std::string htmlText(const std::string &text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool emitBuffer(const char *id, const void *data, size_t bytes, const std::function<bool(std::string_view)> &write)
{
    if (!write(std::string("<script type=\"application/octet-stream\" id=\"") + id + "\">"))
        return false;
    const char *p = static_cast<const char *>(data);
    std::string text;
    for (size_t done = 0; done < bytes; done += kPieceBytes)
    {
        text.clear();
        appendBase64(text, p + done, std::min(kPieceBytes, bytes - done));
        if (!write(text))
            return false;
    }
    return write("</script>\n");
}

bool emitScript(std::string_view script, const std::function<bool(std::string_view)> &write)
{
    return write("<script>") && write(script) && write("</script>\n");
}
}  // namespace

bool emitViewPage(const ViewScene &scene, const ViewPanel &panel, const std::function<bool(std::string_view)> &write)
{
    // Errors are caught from the first script on, so a failure inside the
    // library is counted too.
    static const char kErrorHook[] =
        "window.velkorErrors=[];"
        "window.addEventListener('error',function(e){window.velkorErrors.push(String(e.message));});"
        "window.addEventListener('unhandledrejection',function(e){window.velkorErrors.push(String(e.reason));});"
        "(function(){var f=console.error;console.error=function(){"
        "window.velkorErrors.push(Array.prototype.join.call(arguments,' '));f.apply(console,arguments);};})();";
    const std::string head = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                             "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                             htmlText(panel.title.empty() ? std::string("velkor view") : panel.title) +
                             "</title>\n<style>";
    const std::string body = "</style>\n</head>\n<body>\n"
                             "<div id=\"velkor-status\" data-ready=\"0\" data-errors=\"0\" hidden></div>\n";
    return write(head) && write(viewerStyle()) && write(body) && emitScript(kErrorHook, write) &&
           emitScript(threeLibraryScript(), write) && emitScript(orbitControlsScript(), write) &&
           write("<script type=\"application/json\" id=\"velkor-meta\">") && write(metaText(scene, panel)) &&
           write("</script>\n") &&
           emitBuffer("velkor-positions", scene.positions.data(), scene.positions.size() * sizeof(float), write) &&
           emitBuffer("velkor-directions", scene.directions.data(), scene.directions.size() * sizeof(float), write) &&
           emitBuffer("velkor-intensities", scene.intensities.data(), scene.intensities.size() * sizeof(float),
                      write) &&
           emitBuffer("velkor-collider-positions", scene.colliderPositions.data(),
                      scene.colliderPositions.size() * sizeof(float), write) &&
           emitBuffer("velkor-triangles", scene.triangles.data(), scene.triangles.size() * sizeof(uint32_t), write) &&
           emitScript(panelScript(), write) && emitScript(dataScript(), write) && emitScript(viewerScript(), write) &&
           emitScript(readoutScript(), write) && emitScript(probeScript(), write) && write("</body>\n</html>\n");
}

std::string viewPageText(const ViewScene &scene, const ViewPanel &panel)
{
    std::string page;
    emitViewPage(scene, panel, [&page](std::string_view piece) {
        page.append(piece);
        return true;
    });
    return page;
}

bool writeViewPage(const std::string &path, const ViewScene &scene, const ViewPanel &panel, std::string &error)
{
    AtomicFile file(path);
    if (!file.open(error))
        return false;
    if (!emitViewPage(scene, panel, [&file](std::string_view piece) { return file.write(piece); }))
    {
        error = path + ": cannot write the page";
        return false;
    }
    return file.commit(error);
}
