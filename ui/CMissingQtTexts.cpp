#include "ui/CMissingQtTexts.h"

#include <cstring>

QString CMissingQtTexts::translate(const char* context, const char* sourceText, const char*, int) const
{
    static const struct
    {
        const char* context;
        const char* source;
        const char* text;
    } kTexts[] = {
        {"QAbstractFileIconProvider", "Folder", "文件夹"},
        {"QAbstractFileIconProvider", "File", "文件"},
        {"QAbstractFileIconProvider", "%1 File", "%1 文件"},
        {"QAbstractFileIconProvider", "Drive", "驱动器"},
        {"QAbstractFileIconProvider", "Alias", "别名"},
        {"QFileDialogTrees", "Folder", "文件夹"},
        {"QFileDialog", "Cancel", "取消"},
        {"QPlatformTheme", "&Save", "保存(&S)"},
    };
    if (context == nullptr || sourceText == nullptr)
        return QString();
    for (const auto& entry : kTexts)
        if (std::strcmp(entry.context, context) == 0 && std::strcmp(entry.source, sourceText) == 0)
            return QString::fromUtf8(entry.text);
    return QString();
}
