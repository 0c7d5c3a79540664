// The three pages of the page-layout sheet and their buttons.
#include "pagelayoutsheet.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace yv::trans {

namespace {

constexpr int kSmallestOfferedSize = 8;
constexpr int kLargestOfferedSize = 18;

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// Codes the header and footer menus append.
constexpr std::pair<const char*, const char*> kCodes[] = {
    {"ﾌｧｲﾙ名", "&F"}, {"ﾍﾟｰｼﾞ番号", "&P"}, {"現在時刻", "&T"}, {"日付", "&D"}};

QSpinBox* marginBox(const char* name, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, editor::kMaxMarginMillimetres);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

} // namespace

PageLayoutSheet::PageLayoutSheet(const editor::PrintSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(q("ﾍﾟｰｼﾞﾚｲｱｳﾄの設定"));
    auto* tabs = new QTabWidget(this);
    tabs->addTab(withPrintButton(createFontPage()), q("文字"));
    tabs->addTab(withPrintButton(createMarginPage()), q("印刷方法と余白"));
    tabs->addTab(withPrintButton(createHeaderFooterPage()), q("ﾍｯﾀﾞｰ/ﾌｯﾀｰ"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(q("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(q("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    QPushButton* applyButton = buttons->addButton(q("適用(&A)"), QDialogButtonBox::ApplyRole);
    applyButton->setObjectName(QStringLiteral("apply"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &PageLayoutSheet::apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

QWidget* PageLayoutSheet::withPrintButton(QWidget* page)
{
    auto* button = new QPushButton(q("印刷実行..."), page);
    button->setObjectName(QStringLiteral("printNow"));
    connect(button, &QPushButton::clicked, this, &PageLayoutSheet::printRequested);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    static_cast<QVBoxLayout*>(page->layout())->addLayout(row);
    return page;
}

QWidget* PageLayoutSheet::createFontPage()
{
    auto* page = new QWidget(this);
    m_fontName = new QComboBox(page);
    m_fontName->setObjectName(QStringLiteral("fontName"));
    m_fontName->setEditable(true);
    // Scalable faces: what a printer draws at any size.
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isScalable(family))
            m_fontName->addItem(family);
    }
    m_fontName->setCurrentText(QString::fromStdString(m_settings.fontName));

    m_fontSize = new QComboBox(page);
    m_fontSize->setObjectName(QStringLiteral("fontSize"));
    m_fontSize->setEditable(true);
    for (int size = kSmallestOfferedSize; size <= kLargestOfferedSize; ++size)
        m_fontSize->addItem(QString::number(size));
    m_fontSize->setCurrentText(QString::number(m_settings.fontSize));

    auto* form = new QFormLayout;
    form->addRow(q("ﾌｫﾝﾄ名:"), m_fontName);
    form->addRow(q("ｻｲｽﾞ:"), m_fontSize);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    return page;
}

QWidget* PageLayoutSheet::createMarginPage()
{
    auto* page = new QWidget(this);
    auto* wayBox = new QGroupBox(q("印刷方法"), page);
    auto* both = new QRadioButton(q("原文と訳文"), wayBox);
    both->setObjectName(QStringLiteral("wayBoth"));
    auto* alone = new QRadioButton(q("訳文のみ"), wayBox);
    alone->setObjectName(QStringLiteral("wayTranslation"));
    m_way = new QButtonGroup(page);
    m_way->addButton(both, static_cast<int>(editor::PrintWay::SideBySide));
    m_way->addButton(alone, static_cast<int>(editor::PrintWay::TranslationOnly));
    (m_settings.way == editor::PrintWay::TranslationOnly ? alone : both)->setChecked(true);
    auto* wayLayout = new QVBoxLayout(wayBox);
    wayLayout->addWidget(both);
    wayLayout->addWidget(alone);

    auto* marginGroup = new QGroupBox(q("余白"), page);
    m_marginTop = marginBox("marginTop", m_settings.marginTop, marginGroup);
    m_marginBottom = marginBox("marginBottom", m_settings.marginBottom, marginGroup);
    m_marginLeft = marginBox("marginLeft", m_settings.marginLeft, marginGroup);
    m_marginRight = marginBox("marginRight", m_settings.marginRight, marginGroup);
    auto* form = new QFormLayout(marginGroup);
    form->addRow(q("上:"), m_marginTop);
    form->addRow(q("下:"), m_marginBottom);
    form->addRow(q("左:"), m_marginLeft);
    form->addRow(q("右:"), m_marginRight);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(wayBox);
    layout->addWidget(marginGroup);
    layout->addStretch();
    return page;
}

QWidget* PageLayoutSheet::createHeaderFooterBox(QWidget* page, const QString& title, const char* name,
                                                QLineEdit*& text, QButtonGroup*& align)
{
    auto* box = new QGroupBox(title, page);
    text = new QLineEdit(box);
    text->setObjectName(QString::fromLatin1(name));
    auto* codes = new QToolButton(box);
    codes->setObjectName(QString::fromLatin1(name) + QStringLiteral("Codes"));
    codes->setText(QStringLiteral(">"));
    codes->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(codes);
    for (const auto& [caption, code] : kCodes) {
        QLineEdit* target = text;
        connect(menu->addAction(q(caption)), &QAction::triggered, target,
                [target, code = code] { target->setText(target->text() + QString::fromLatin1(code)); });
    }
    codes->setMenu(menu);

    align = new QButtonGroup(box);
    auto* alignRow = new QHBoxLayout;
    for (const auto& [caption, value] : {std::pair{"左", editor::PrintAlign::Left}, {"中央", editor::PrintAlign::Centre},
                                         {"右", editor::PrintAlign::Right}}) {
        auto* button = new QRadioButton(q(caption), box);
        align->addButton(button, static_cast<int>(value));
        alignRow->addWidget(button);
    }
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(text);
    textRow->addWidget(codes);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(textRow);
    layout->addLayout(alignRow);
    return box;
}

QWidget* PageLayoutSheet::createHeaderFooterPage()
{
    auto* page = new QWidget(this);
    QWidget* header = createHeaderFooterBox(page, q("ﾍｯﾀﾞｰ"), "header", m_header, m_headerAlign);
    QWidget* footer = createHeaderFooterBox(page, q("ﾌｯﾀｰ"), "footer", m_footer, m_footerAlign);
    m_header->setText(QString::fromStdString(m_settings.header));
    m_footer->setText(QString::fromStdString(m_settings.footer));
    m_headerAlign->button(static_cast<int>(m_settings.headerAlign))->setChecked(true);
    m_footerAlign->button(static_cast<int>(m_settings.footerAlign))->setChecked(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(header);
    layout->addWidget(footer);
    layout->addStretch();
    return page;
}

editor::PrintSettings PageLayoutSheet::settings() const
{
    editor::PrintSettings s = m_settings;
    s.fontName = m_fontName->currentText().toStdString();
    s.fontSize = editor::parseStoredNumber(m_fontSize->currentText().toStdString(), m_settings.fontSize,
                                           editor::kMinFontPoints, editor::kMaxFontPoints);
    s.marginTop = m_marginTop->value();
    s.marginBottom = m_marginBottom->value();
    s.marginLeft = m_marginLeft->value();
    s.marginRight = m_marginRight->value();
    s.way = editor::printWayFromStored(static_cast<std::uint32_t>(m_way->checkedId()));
    s.header = m_header->text().toStdString();
    s.footer = m_footer->text().toStdString();
    s.headerAlign = editor::printAlignFromStored(static_cast<std::uint32_t>(m_headerAlign->checkedId()));
    s.footerAlign = editor::printAlignFromStored(static_cast<std::uint32_t>(m_footerAlign->checkedId()));
    return s;
}

void PageLayoutSheet::apply()
{
    m_settings = settings();
    emit applied(m_settings);
}

} // namespace yv::trans
