#ifndef STEPFIELDS_H
#define STEPFIELDS_H

#include <QString>

// The fields of a step as the text formats hold them: speed, fade, then the levels.
namespace stepFields
{
// "speed", "fade", or "channel N" for the field at this index of a record.
QString name(int index);

// Reads one field as a whole number from 0 to `top`. Empty when it is one; otherwise why
// not, naming the line and the field. A field above `top` is refused only when `clamp` is
// false; with it the value is taken as `top`, as a typed cell does.
QString read(const QString &field, int line, int index, int top, bool clamp, int &value);
} // namespace stepFields

#endif
