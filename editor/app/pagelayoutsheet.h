// The page-layout sheet "ﾍﾟｰｼﾞﾚｲｱｳﾄの設定": font, print way and margins, header and footer.
#pragma once

#include <editorcore/printlayout.h>

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace yv::trans {

class PageLayoutSheet final : public QDialog {
    Q_OBJECT
public:
    PageLayoutSheet(const editor::PrintSettings& settings, QWidget* parent);

    // The settings as the pages show them now.
    editor::PrintSettings settings() const;
    // 適用: stores what the pages show (OK does the same and closes).
    void apply();

signals:
    void applied(const editor::PrintSettings& settings);
    // "印刷実行..." on any page.
    void printRequested();

private:
    QWidget* createFontPage();
    QWidget* createMarginPage();
    QWidget* createHeaderFooterPage();
    QWidget* withPrintButton(QWidget* page);
    QWidget* createHeaderFooterBox(QWidget* page, const QString& title, const char* name, QLineEdit*& text,
                                   QButtonGroup*& align);

    editor::PrintSettings m_settings;
    QComboBox* m_fontName = nullptr;
    QComboBox* m_fontSize = nullptr;
    QSpinBox* m_marginTop = nullptr;
    QSpinBox* m_marginBottom = nullptr;
    QSpinBox* m_marginLeft = nullptr;
    QSpinBox* m_marginRight = nullptr;
    QButtonGroup* m_way = nullptr;
    QLineEdit* m_header = nullptr;
    QLineEdit* m_footer = nullptr;
    QButtonGroup* m_headerAlign = nullptr;
    QButtonGroup* m_footerAlign = nullptr;
};

} // namespace yv::trans
