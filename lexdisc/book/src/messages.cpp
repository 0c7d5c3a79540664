// The texts of the reader's messages.
#include <book/messages.h>

namespace yv::book {

std::string_view messageText(BookMessage message)
{
    switch (message) {
    case BookMessage::OutOfMemory:
        return "メモリが足りません。\nいくつかのアプリケーションを終了してから再度行ってください。";
    case BookMessage::CatalogMissing:
        return "カタログファイルが開けません。\nCD-ROMがEPWING規約に準拠 していることを確認して、CD-ROMの設定をやり直してください。";
    case BookMessage::CatalogChanged:
        return "現在のCD-ROMとカタログファイルの設定が異なっています。\n書籍の再設定を行ってください。";
    case BookMessage::TextFileOpen:
        return "書籍管理ファイルが開けません。CD-ROMが壊れている可能性があります。";
    case BookMessage::IndexTableRead:
        return "書籍管理ファイルのリードエラー。CD-ROMが壊れている可能性があります。";
    case BookMessage::GaijiInit:
        return "外字の初期化処理に失敗しました。CD-ROMが壊れている可能性があります。";
    case BookMessage::ResultRead:
        return "検索結果の読み込みに失敗しました。CD-ROMが壊れている可能性があります。";
    case BookMessage::HitLimit:
        return "検索結果が500件を越えましたので検索を打ち切ります\n検索結果を表示しますか？";
    case BookMessage::NoBooks:
        return "EPWINGのCD-ROMを見つけられませんでした。\nCDドライブを確認してから、再度起動してください。";
    }
    return {};
}

MessageIcon messageIcon(BookMessage message)
{
    switch (message) {
    case BookMessage::IndexTableRead:
        return MessageIcon::Stop;
    case BookMessage::HitLimit:
        return MessageIcon::Question;
    default:
        return MessageIcon::Exclamation;
    }
}

} // namespace yv::book
