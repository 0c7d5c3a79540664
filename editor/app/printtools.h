// Printing the document: the print, preview and page-layout commands, the stored print
// settings ("プリント設定"), and drawing the pages the editor core lays out.
#pragma once

#include <editorcore/printlayout.h>

#include <QObject>

#include <functional>
#include <memory>

class QPrinter;

namespace yv::trans {

class CMainFrame;

inline constexpr const char* kPrintSettingsKey = "プリント設定";

editor::PrintSettings loadPrintSettings();
void savePrintSettings(const editor::PrintSettings& settings);

class PrintTools final : public QObject {
    Q_OBJECT
public:
    explicit PrintTools(CMainFrame& frame);
    ~PrintTools() override;

    // The commands; each returns whether it went through.
    bool print();
    void preview();
    bool pageSetup();
    // "ﾌﾟﾘﾝﾀの設定": paper and orientation of the printer that printing and preview use for
    // the rest of the session.
    bool printerSetup();

    // Draws the document on a printer set up by the caller: the pages of its page range, or
    // all. Returns the number of pages drawn (0 when the printer cannot be painted on).
    int render(QPrinter& printer) const;

    // The print dialog; tests put their own in. The default is Qt's, with output to a PDF
    // file in the documents folder preset when the system has no printer.
    std::function<bool(QPrinter& printer)> printDialog;
    // The printer set-up dialog; tests put their own in.
    std::function<bool(QPrinter& printer)> printerSetupDialog;

private:
    bool runPrintDialog(QPrinter& printer);
    // The session's printer, made on first use, with the document's name and the least margins.
    QPrinter& preparedPrinter();

    CMainFrame& m_frame;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace yv::trans
