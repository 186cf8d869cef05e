#pragma once
// Runs vespian-report in the test's process, its standard output and error caught as strings,
// and a PDF writer that records the pages the tool lays out instead of painting them.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/report_pdf.h"
#include "app/report_tool.h"
#include "support/test_files.h"

namespace vespian::testing {

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline ToolRun runTool(const std::vector<std::string>& args, TracePictureWriter* pictures = nullptr,
                       ReportPdfWriter* pdf = nullptr) {
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    ToolRun result;
    result.code = runReportTool(args, out, err, pictures, pdf);
    std::fclose(out);
    std::fclose(err);
    result.out.assign(outText, outSize);
    result.err.assign(errText, errSize);
    std::free(outText);
    std::free(errText);
    return result;
}

// Lays the pages out on an A4 page at 600 dpi and keeps them; writes a stand-in file, or fails
// when told to.
class RecordingPdf final : public ReportPdfWriter {
public:
    bool savePdf(const std::string& path, const std::string& documentName, const PageLayout& layout,
                 std::string* error) override {
        paths.push_back(path);
        document = documentName;
        pages = layout(4724, 6780);
        if (!failWith.empty()) {
            *error = failWith;
            return false;
        }
        writeBytes(path, "%PDF-stand-in");
        return true;
    }
    // Whether some text on page `page` holds `part`.
    bool pageHas(size_t page, const std::string& part) const {
        if (page >= pages.size()) return false;
        for (const DrawText* t : pages[page].texts()) {
            if (t->text.find(part) != std::string::npos) return true;
        }
        return false;
    }

    std::vector<std::string> paths;
    std::string document;
    std::vector<DrawList> pages;
    std::string failWith;
};

}  // namespace vespian::testing
