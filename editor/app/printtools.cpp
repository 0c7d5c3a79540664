// The print commands and the drawing of the pages laid out by the editor core.
#include "printtools.h"

#include "mainwindow.h"
#include "pagelayoutsheet.h"
#include "qtfontmetrics.h"

#include <Etc.h>

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTimer>

#include <string>
#include <unordered_map>

namespace yv::trans {

namespace {

constexpr std::size_t kStoredTextBytes = 1024;
// When the stored face is not installed, a face that has Japanese.
constexpr const char* kFallbackFace = "Noto Sans Mono CJK JP";

std::string readText(const char* name, const char* def)
{
    std::string buffer(kStoredTextBytes, '\0');
    GetRegStr(0, kPrintSettingsKey, name, buffer.data(), static_cast<std::uint32_t>(buffer.size()), def);
    buffer.resize(buffer.find('\0'));
    return buffer;
}

std::uint32_t readDword(const char* name, std::uint32_t def) { return GetRegDWORD(0, kPrintSettingsKey, name, def); }

int readMargin(const char* name, int def)
{
    return editor::parseStoredNumber(readText(name, std::to_string(def).c_str()), def, 0,
                                     editor::kMaxMarginMillimetres);
}

void writeText(const char* name, const std::string& value)
{
    SetRegStr(HKEY_CURRENT_USER, kPrintSettingsKey, name, value.c_str());
}

QFont printFont(const editor::PrintSettings& settings)
{
    QFont font;
    font.setFamilies({QString::fromStdString(settings.fontName), QString::fromLatin1(kFallbackFace)});
    font.setPointSize(settings.fontSize);
    return font;
}

// The print font measured on the printer, in its device units.
class PrinterMetrics final : public editor::PrintMetrics {
public:
    PrinterMetrics(const QFont& font, QPaintDevice* device) : m_metrics(font, device) {}

    int advance(std::uint8_t lead, std::uint8_t trail) const override
    {
        const auto key = static_cast<std::uint16_t>(lead << 8 | trail);
        const auto found = m_advances.find(key);
        if (found != m_advances.end())
            return found->second;
        const int width = m_metrics.horizontalAdvance(cellText(lead, trail));
        m_advances.emplace(key, width);
        return width;
    }
    int textWidth(std::string_view utf8) const override
    {
        return m_metrics.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
    int height() const override { return m_metrics.height(); }
    int externalLeading() const override { return m_metrics.leading(); }
    // The widest character the text uses: a full-width one (a face's absolute widest glyph
    // can be several ems wide and would eat the columns).
    int maxCharWidth() const override
    {
        return std::max({m_metrics.horizontalAdvance(QChar(0x3000)), m_metrics.horizontalAdvance(QChar(0x6F22)),
                         m_metrics.horizontalAdvance(QLatin1Char('W'))});
    }
    int ascent() const { return m_metrics.ascent(); }

private:
    QFontMetrics m_metrics;
    mutable std::unordered_map<std::uint16_t, int> m_advances;
};

editor::PrintDevice deviceOf(QPrinter& printer)
{
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toAlignedRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toAlignedRect();
    editor::PrintDevice device;
    device.dpiX = printer.logicalDpiX();
    device.dpiY = printer.logicalDpiY();
    device.width = page.width();
    device.height = page.height();
    device.unprintableLeft = page.left() - paper.left();
    device.unprintableTop = page.top() - paper.top();
    device.unprintableRight = paper.right() - page.right();
    device.unprintableBottom = paper.bottom() - page.bottom();
    return device;
}

editor::PrintClock clockNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().month(), now.date().day(), now.time().hour(), now.time().minute()};
}

// The stored margins count from the printer's own: start from the least it can do.
void prepare(QPrinter& printer, const std::string& title)
{
    printer.setDocName(QString::fromStdString(title));
    // A page range chosen for one print is not the next one's.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    printer.setPageMargins(printer.pageLayout().minimumMargins(), printer.pageLayout().units());
}

} // namespace

editor::PrintSettings loadPrintSettings()
{
    editor::PrintSettings s;
    s.marginTop = readMargin("PrintTop", s.marginTop);
    s.marginBottom = readMargin("PrintDown", s.marginBottom);
    s.marginLeft = readMargin("PrintLeft", s.marginLeft);
    s.marginRight = readMargin("PrintRight", s.marginRight);
    s.way = editor::printWayFromStored(readDword("PrintWay", static_cast<std::uint32_t>(s.way)));
    s.header = readText("PrintHeader", "");
    s.footer = readText("PrintFooter", "");
    s.headerAlign = editor::printAlignFromStored(readDword("PrintHpos", static_cast<std::uint32_t>(s.headerAlign)));
    s.footerAlign = editor::printAlignFromStored(readDword("PrintFpos", static_cast<std::uint32_t>(s.footerAlign)));
    s.fontName = readText("FontName", s.fontName.c_str());
    s.fontSize = editor::parseStoredNumber(readText("FontSize", std::to_string(s.fontSize).c_str()), s.fontSize,
                                           editor::kMinFontPoints, editor::kMaxFontPoints);
    return s;
}

void savePrintSettings(const editor::PrintSettings& s)
{
    const auto margin = [](int mm) { return std::to_string(std::max(0, mm)); };
    writeText("PrintTop", margin(s.marginTop));
    writeText("PrintDown", margin(s.marginBottom));
    writeText("PrintLeft", margin(s.marginLeft));
    writeText("PrintRight", margin(s.marginRight));
    SetRegDWORD(HKEY_CURRENT_USER, kPrintSettingsKey, "PrintWay", static_cast<std::uint32_t>(s.way));
    writeText("PrintHeader", s.header);
    writeText("PrintFooter", s.footer);
    SetRegDWORD(HKEY_CURRENT_USER, kPrintSettingsKey, "PrintHpos", static_cast<std::uint32_t>(s.headerAlign));
    SetRegDWORD(HKEY_CURRENT_USER, kPrintSettingsKey, "PrintFpos", static_cast<std::uint32_t>(s.footerAlign));
    writeText("FontName", s.fontName);
    writeText("FontSize", std::to_string(s.fontSize));
}

PrintTools::PrintTools(CMainFrame& frame) : m_frame(frame)
{
    printDialog = [this](QPrinter& printer) { return runPrintDialog(printer); };
    printerSetupDialog = [this](QPrinter& printer) {
        QPageSetupDialog dialog(&printer, &m_frame);
        return dialog.exec() == QDialog::Accepted;
    };
    connect(frame.action("filePrintSetup"), &QAction::triggered, this, &PrintTools::printerSetup);
    connect(frame.action("filePrint"), &QAction::triggered, this, &PrintTools::print);
    connect(frame.action("filePrintPreview"), &QAction::triggered, this, &PrintTools::preview);
    connect(frame.action("filePageSetup"), &QAction::triggered, this, &PrintTools::pageSetup);
}

PrintTools::~PrintTools() = default;

bool PrintTools::runPrintDialog(QPrinter& printer)
{
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(folder).filePath(printer.docName() + QStringLiteral(".pdf")));
    }
    QPrintDialog dialog(&printer, &m_frame);
    return dialog.exec() == QDialog::Accepted;
}

QPrinter& PrintTools::preparedPrinter()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    prepare(*m_printer, m_frame.document().title());
    return *m_printer;
}

bool PrintTools::print()
{
    QPrinter& printer = preparedPrinter();
    if (!printDialog(printer))
        return false;
    return render(printer) > 0;
}

bool PrintTools::printerSetup()
{
    return printerSetupDialog(preparedPrinter());
}

void PrintTools::preview()
{
    QPrinter& printer = preparedPrinter();
    QPrintPreviewDialog dialog(&printer, &m_frame);
    // The preview takes the place of the window, as large as it.
    dialog.setWindowTitle(QString::fromUtf8("印刷ﾌﾟﾚﾋﾞｭｰ - ") + QString::fromStdString(m_frame.document().title()));
    dialog.resize(m_frame.size());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { render(*target); });
    dialog.exec();
}

bool PrintTools::pageSetup()
{
    PageLayoutSheet sheet(loadPrintSettings(), &m_frame);
    connect(&sheet, &PageLayoutSheet::applied, this, [](const editor::PrintSettings& s) { savePrintSettings(s); });
    // The sheet posts the print command: it runs once the sheet's own event has returned.
    connect(&sheet, &PageLayoutSheet::printRequested, this,
            [this] { QTimer::singleShot(0, m_frame.action("filePrint"), &QAction::trigger); });
    return sheet.exec() == QDialog::Accepted;
}

int PrintTools::render(QPrinter& printer) const
{
    const editor::PrintSettings settings = loadPrintSettings();
    const editor::TransDoc& doc = m_frame.document();
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QFont font = printFont(settings);
    painter.setFont(font);
    const PrinterMetrics metrics(font, &printer);
    const editor::PrintLayout layout =
        editor::layoutPrint(doc.source().store(), doc.translation().store(), settings, deviceOf(printer), metrics,
                            doc.title(), clockNow());

    const int pageCount = static_cast<int>(layout.pages.size());
    const int first = printer.fromPage() > 0 ? printer.fromPage() : 1;
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount) : pageCount;
    const int ascent = metrics.ascent();
    int drawn = 0;
    for (int number = first; number <= last; ++number) {
        if (drawn > 0 && !printer.newPage())
            break;
        const editor::PrintPage& page = layout.pages[static_cast<std::size_t>(number - 1)];
        for (const auto& line : {page.header, page.footer}) {
            if (line)
                painter.drawText(QPoint(line->x, line->y + ascent), QString::fromStdString(line->text));
        }
        // Characters that follow each other on a line go out as one run of text.
        std::size_t i = 0;
        while (i < page.chars.size()) {
            const editor::PlacedChar& start = page.chars[i];
            const editor::CellStore& store = start.column == 0 ? doc.source().store() : doc.translation().store();
            QString run;
            int x = start.x;
            std::size_t j = i;
            while (j < page.chars.size() && page.chars[j].column == start.column && page.chars[j].y == start.y &&
                   page.chars[j].x == x && page.chars[j].cell == start.cell + (j - i)) {
                const editor::TextCell& cell = store[page.chars[j].cell];
                run += cellText(cell.lead, cell.trail);
                x += metrics.advance(cell.lead, cell.trail);
                ++j;
            }
            painter.drawText(QPoint(start.x, start.y + ascent), run);
            i = j;
        }
        ++drawn;
    }
    painter.end();
    return drawn;
}

} // namespace yv::trans
