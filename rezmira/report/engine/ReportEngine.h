// The banded report engine: prepares pages from a template over data sources, with program
// supplied event handlers and user functions.
#pragma once

#include "rezmira/report/engine/DataSource.h"
#include "rezmira/report/engine/Expression.h"
#include "rezmira/report/engine/Prepared.h"
#include "rezmira/report/engine/StretchObject.h"
#include "rezmira/report/engine/Template.h"

#include <QHash>

#include <functional>

namespace rezmira::report {

class ReportEngine;

/// What an event handler may read and change while a report is prepared. Changes last for the
/// current preparation only.
class ScriptContext {
public:
    /// A field of a data source on its current row (null when unknown).
    QVariant value(const QString &dataSource, const QString &alias) const;
    /// Visibility of a band; unknown names read as invisible and are ignored when set.
    bool bandVisible(const QString &band) const;
    void setBandVisible(const QString &band, bool visible);
    /// Replaces the text a memo shows in the current fill (an unknown name is ignored).
    void setMemoText(const QString &memo, const QString &text);
    /// Gives picture object `target` the picture of picture object `source`.
    void copyPicture(const QString &source, const QString &target);
    /// The object whose event runs (empty for band events).
    const QString &sender() const { return m_sender; }

    /// Made by the engine only (its state is private to the engine).
    struct Impl;
    ScriptContext(Impl &impl, QString sender) : m_impl(impl), m_sender(std::move(sender)) {}

private:
    Impl &m_impl;
    QString m_sender;
};

/// A named event handler the template binds by name (OnBeforePrint, OnAfterData). It may throw
/// rezmira::Error, which stops the preparation.
using EventHandler = std::function<void(ScriptContext &context)>;

/// Prepares reports from one template. Engine rules:
/// - the report title prints once at the top of the first page; the page footer at the bottom of
///   every page; data bands run one after the other in design order, each over its whole data
///   source from the first row (or RowCount times without one);
/// - a header prints once before the first row of the data band below it, never repeated; a
///   group header starts a group when its condition's value differs from the previous row's;
///   a group footer prints after a group's last row with that row's values (the source steps
///   back one row for it);
/// - OnBeforePrint runs before a band prints, and a band made invisible is not printed (an
///   invisible data band is not walked); OnAfterData runs after an object's data are filled;
/// - in a stretched band, objects with actual-height stretch grow to their content, objects
///   below a grown one (overlapping it horizontally) move down by the growth, and the band takes
///   the bottom of its lowest object; an auto-size picture takes its picture's size;
/// - a band that does not fit on the rest of the page starts a new page; a band taller than a
///   whole page is split over pages, stretchable objects drawn in parts;
/// - every preparation works on a copy of the template, so handlers' changes last for one
///   preparation only.
class ReportEngine {
public:
    explicit ReportEngine(ReportTemplate reportTemplate);

    const ReportTemplate &reportTemplate() const { return m_template; }

    /// The source must outlive the engine's preparations.
    void addDataSource(DataSource *source);
    /// Registers a user function under `name` (matched ignoring letter case).
    void addFunction(const QString &name, UserFunction function);
    void addHandler(const QString &name, EventHandler handler);
    void setStretchObjectFactory(StretchObjectFactory factory);
    const StretchObjectFactory &stretchObjectFactory() const { return m_factory; }

    /// Prepares the report. Never throws for errors met while filling objects: the first such
    /// error stops the preparation and its message is in the result's `errors` (the pages
    /// prepared so far are kept).
    PreparedReport prepare();

private:
    ReportTemplate m_template;
    QList<DataSource *> m_sources;
    QHash<QString, UserFunction> m_functions;
    QHash<QString, EventHandler> m_handlers;
    StretchObjectFactory m_factory;
};

/// The text of the box that reports errors collected while preparing: the heading line followed
/// by the messages, one per line.
QString preparationErrorText(const QStringList &errors);

} // namespace rezmira::report
