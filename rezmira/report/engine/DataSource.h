// A row source the report engine walks: named, with first/next/prior/end-test and values by name.
#pragma once

#include <QString>
#include <QVariant>

namespace rezmira::report {

/// A report data source ("MainQuery"). The engine calls First before a data band's first row,
/// Next after each row and Prior (then Next again) to show a group footer with the values of
/// the group's last row. `Eof` is true once the cursor is past the last row; Prior from there
/// returns to the last row.
class DataSource {
public:
    virtual ~DataSource() = default;
    virtual QString name() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual bool Eof() const = 0;
    /// The value of the field `name` on the current row; a null QVariant for an unknown name.
    virtual QVariant GetValue(const QString &name) const = 0;
};

} // namespace rezmira::report
