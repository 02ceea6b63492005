#include "readonlytextinterface.h"

namespace tavelorn {

void ReadOnlyTextInterface::selection(int /*selectionIndex*/, int* startOffset,
                                      int* endOffset) const
{
    *startOffset = *endOffset = 0;
}

QString ReadOnlyTextInterface::text(int startOffset, int endOffset) const
{
    QString v = readOnlyText();
    if (startOffset < 0 || endOffset < startOffset)
        return v;
    return v.mid(startOffset, endOffset - startOffset);
}

int ReadOnlyTextInterface::characterCount() const
{
    return int(readOnlyText().size());
}

QString ReadOnlyTextInterface::attributes(int /*offset*/, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

} // namespace tavelorn
