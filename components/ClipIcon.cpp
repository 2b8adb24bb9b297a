// Icons on the clipboard as icon-file bytes.
#include "components/ClipIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

const char* const CF_ICON = "application/x-kestrima-icon";

void CopyIconToClipboard(const TIcon& icon)
{
    auto* data = new QMimeData;
    const auto& bytes = icon.Bytes();
    data->setData(CF_ICON, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    // Programs that know no icons still get the picture.
    if (!icon.Empty())
        data->setImageData(icon.Image());
    QApplication::clipboard()->setMimeData(data);
}

bool ClipboardHasIcon()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasFormat(CF_ICON);
}

TIcon PasteIconFromClipboard()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const QByteArray bytes = data ? data->data(CF_ICON) : QByteArray();
    TIcon icon;
    icon.LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return icon;
}
