#include "rezmira/report/engine/ReportEngine.h"

#include "rezmira/Error.h"
#include "rezmira/report/engine/Value.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace rezmira::report {

namespace {
constexpr double kEps = 0.005;

// One object of a band as filled for the current row.
struct Placed {
    ReportObject *object = nullptr;
    QRectF rect; // in the band (later: in the current part)
    QList<TextRun> runs;
    QString rawText; // memos that show [Page#] are filled again when their page is known
    QImage picture;
    QString pictureName;
    StretchObject *stretch = nullptr;
    std::shared_ptr<const StretchObjectSpec> spec;
};

struct FilledBand {
    const Band *band = nullptr;
    double height = 0;
    std::vector<Placed> objects;
};

bool overlapsHorizontally(const QRectF &a, const QRectF &b) {
    return a.left() < b.right() - kEps && b.left() < a.right() - kEps;
}
} // namespace

struct ScriptContext::Impl {
    ReportTemplate report;
    EvalContext eval;
    // Text overrides of the band being filled, by memo object
    std::map<const ReportObject *, QString> memoTexts;
    std::map<const ReportObject *, QString> pictureSources;
};

QVariant ScriptContext::value(const QString &dataSource, const QString &alias) const {
    DataSource *ds = m_impl.eval.findSource(dataSource);
    return ds ? ds->GetValue(alias) : QVariant();
}

bool ScriptContext::bandVisible(const QString &band) const {
    const Band *b = m_impl.report.band(band);
    return b && b->visible;
}

void ScriptContext::setBandVisible(const QString &band, bool visible) {
    if (Band *b = m_impl.report.band(band))
        b->visible = visible;
}

void ScriptContext::setMemoText(const QString &memo, const QString &text) {
    if (ReportObject *o = m_impl.report.object(memo); o && o->kind == ReportObject::Kind::Memo)
        m_impl.memoTexts[o] = text;
}

void ScriptContext::copyPicture(const QString &source, const QString &target) {
    const ReportObject *from = m_impl.report.object(source);
    ReportObject *to = m_impl.report.object(target);
    if (!from || !to || to->kind != ReportObject::Kind::Picture)
        return;
    to->picture = from->picture;
    m_impl.pictureSources[to] = from->name;
}

ReportEngine::ReportEngine(ReportTemplate reportTemplate) : m_template(std::move(reportTemplate)) {}

void ReportEngine::addDataSource(DataSource *source) { m_sources.append(source); }

void ReportEngine::addFunction(const QString &name, UserFunction function) {
    m_functions.insert(name.toUpper(), std::move(function));
}

void ReportEngine::addHandler(const QString &name, EventHandler handler) {
    m_handlers.insert(name.toLower(), std::move(handler));
}

void ReportEngine::setStretchObjectFactory(StretchObjectFactory factory) { m_factory = std::move(factory); }

QString preparationErrorText(const QStringList &errors) {
    QString text = QStringLiteral("Были обнаружены следующие ошибки:");
    for (const QString &e : errors)
        text += QLatin1Char('\n') + e;
    return text;
}

namespace {

// One preparation: the working copy of the template, the pages and the cursor on the page.
class Preparation {
public:
    Preparation(const ReportTemplate &t, const QList<DataSource *> &sources,
                const QHash<QString, UserFunction> &functions, const QHash<QString, EventHandler> &handlers,
                const StretchObjectFactory &factory)
        : m_handlers(handlers), m_factory(factory) {
        m_impl.report = t; // the template's state is restored by preparing on a copy
        m_impl.eval.dataSources = sources;
        m_impl.eval.functions = functions;
        const ReportTemplate &r = m_impl.report;
        m_result.paperWidthMm = r.paperWidthMm;
        m_result.paperHeightMm = r.paperHeightMm;
        m_left = r.marginLeftMm * kUnitsPerMm;
        m_top = r.marginTopMm * kUnitsPerMm;
        m_width = (r.paperWidthMm - r.marginLeftMm - r.marginRightMm) * kUnitsPerMm;
        m_bottom = (r.paperHeightMm - r.marginBottomMm) * kUnitsPerMm;
    }

    PreparedReport run() {
        try {
            walk();
        } catch (const Error &e) {
            m_result.errors.append(e.message());
        } catch (const std::exception &e) {
            m_result.errors.append(QString::fromLocal8Bit(e.what()));
        }
        return std::move(m_result);
    }

private:
    void walk() {
        Band *footer = nullptr;
        for (Band &b : m_impl.report.bands)
            if (b.kind == BandKind::PageFooter && !footer)
                footer = &b;
        m_footer = footer;
        m_limit = m_bottom - (footer ? footer->height : 0);
        newPage();
        for (Band &b : m_impl.report.bands)
            if (b.kind == BandKind::ReportTitle)
                printBand(b);

        // Headers and group headers attach to the data band below them; group footers that
        // follow a data band close its groups, innermost first.
        QList<Band *> headers, groups;
        QList<Band *> &bands = m_bandPtrs;
        for (Band &b : m_impl.report.bands)
            bands.append(&b);
        for (qsizetype i = 0; i < bands.size(); ++i) {
            Band *b = bands[i];
            if (b->kind == BandKind::Header)
                headers.append(b);
            else if (b->kind == BandKind::GroupHeader)
                groups.append(b);
            else if (b->kind == BandKind::MasterData) {
                QList<Band *> footers;
                while (i + 1 < bands.size() && bands[i + 1]->kind == BandKind::GroupFooter)
                    footers.append(bands[++i]);
                runDataBand(*b, headers, groups, footers);
                headers.clear();
                groups.clear();
            }
        }
        finishPage();
    }

    void runDataBand(Band &data, const QList<Band *> &headers, const QList<Band *> &groups,
                     const QList<Band *> &footers) {
        DataSource *ds = nullptr;
        if (!data.dataSet.isEmpty()) {
            ds = m_impl.eval.findSource(data.dataSet);
            if (!ds)
                throw Error(QStringLiteral("%1: неизвестный источник данных %2").arg(data.name, data.dataSet));
            ds->First();
        }
        int row = 0;
        auto hasRow = [&] { return ds ? !ds->Eof() : row < data.rowCount; };
        if (!hasRow())
            return;
        for (Band *h : headers)
            printBand(*h);
        if (!data.visible)
            return;
        // Footer i closes group groups.size() - 1 - i.
        auto footerOf = [&](qsizetype group) -> Band * {
            const qsizetype i = groups.size() - 1 - group;
            return i >= 0 && i < footers.size() ? footers[i] : nullptr;
        };
        auto printFooters = [&](qsizetype from) {
            if (ds)
                ds->Prior();
            for (qsizetype g = groups.size() - 1; g >= from; --g)
                if (Band *f = footerOf(g))
                    printBand(*f);
            if (ds)
                ds->Next();
        };
        QVariantList last(groups.size());
        bool first = true;
        while (hasRow()) {
            QVariantList values;
            for (Band *g : groups)
                values.append(evaluateExpression(g->condition, m_impl.eval));
            qsizetype changed = first ? 0 : groups.size();
            if (!first)
                for (qsizetype g = 0; g < groups.size(); ++g)
                    if (displayText(values[g]) != displayText(last[g]) ||
                        values[g].typeId() != last[g].typeId()) {
                        changed = g;
                        break;
                    }
            if (!first && changed < groups.size())
                printFooters(changed);
            for (qsizetype g = changed; g < groups.size(); ++g)
                printBand(*groups[g]);
            last = values;
            printBand(data);
            if (ds)
                ds->Next();
            ++row;
            first = false;
        }
        if (!groups.isEmpty())
            printFooters(0);
    }

    void runHandler(const QString &name, const QString &sender) {
        if (name.isEmpty())
            return;
        const auto it = m_handlers.constFind(name.toLower());
        if (it == m_handlers.cend())
            throw Error(QStringLiteral("Не найден обработчик %1").arg(name));
        ScriptContext context(m_impl, sender);
        (*it)(context);
    }

    StretchObject *stretchFor(ReportObject &o) {
        auto it = m_stretch.find(&o);
        if (it != m_stretch.end())
            return it->second.get();
        std::unique_ptr<StretchObject> created = m_factory ? m_factory(o.spec) : nullptr;
        if (!created)
            throw Error(QStringLiteral("%1: неизвестный вид объекта %2").arg(o.name, o.spec.kind));
        StretchObject *raw = created.get();
        m_stretch.emplace(&o, std::move(created));
        m_specs.emplace(&o, std::make_shared<const StretchObjectSpec>(o.spec));
        return raw;
    }

    FilledBand fill(Band &band) {
        FilledBand fb;
        fb.band = &band;
        fb.height = band.height;
        m_impl.memoTexts.clear();
        for (ReportObject &o : band.objects) {
            if (!o.visible)
                continue;
            Placed p;
            p.object = &o;
            p.rect = o.rect;
            switch (o.kind) {
            case ReportObject::Kind::Memo:
                p.rawText = o.text;
                m_impl.memoTexts.erase(&o);
                p.runs = parseMemoRuns(expandMemoText(o.text, m_impl.eval), o.allowHtmlTags);
                break;
            case ReportObject::Kind::Picture:
                break;
            case ReportObject::Kind::Stretch: {
                p.stretch = stretchFor(o);
                p.spec = m_specs.at(&o);
                QVariant value;
                if (!o.dataField.isEmpty())
                    if (DataSource *ds = m_impl.eval.findSource(o.dataSet))
                        value = ds->GetValue(o.dataField);
                p.stretch->FetchData(value);
                break;
            }
            }
            runHandler(o.onAfterData, o.name);
            if (o.kind == ReportObject::Kind::Memo) {
                if (auto t = m_impl.memoTexts.find(&o); t != m_impl.memoTexts.end()) {
                    p.runs = parseMemoRuns(t->second, o.allowHtmlTags);
                    p.rawText.clear();
                }
            } else if (o.kind == ReportObject::Kind::Picture) {
                p.picture = o.picture;
                const auto src = m_impl.pictureSources.find(&o);
                p.pictureName = src != m_impl.pictureSources.end() ? src->second : o.name;
            }
            fb.objects.push_back(std::move(p));
        }
        layoutBand(fb);
        return fb;
    }

    void layoutBand(FilledBand &fb) {
        const Band &band = *fb.band;
        // Sizes: stretching objects and auto-size pictures.
        std::vector<double> growth(fb.objects.size(), 0.0);
        for (size_t i = 0; i < fb.objects.size(); ++i) {
            Placed &p = fb.objects[i];
            const ReportObject &o = *p.object;
            double height = p.rect.height();
            if (o.kind == ReportObject::Kind::Picture && o.autoSize && !p.picture.isNull()) {
                const QSizeF size = p.picture.deviceIndependentSize();
                p.rect.setSize(size);
                height = size.height();
            } else if (band.stretched && o.stretchMode == StretchMode::ActualHeight) {
                double needed = 0;
                if (o.kind == ReportObject::Kind::Memo)
                    needed = memoTextHeight(p.runs, o.font, o.wordWrap, p.rect.width());
                else if (o.kind == ReportObject::Kind::Stretch)
                    needed = p.stretch->CalcHeight(p.rect.width());
                height = std::max(height, needed);
            }
            growth[i] = std::max(0.0, height - o.rect.height());
            p.rect.setHeight(height);
        }
        if (band.stretched) {
            // Objects below a grown one move down; a moved object carries its move on.
            std::vector<size_t> order(fb.objects.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return fb.objects[a].object->rect.top() < fb.objects[b].object->rect.top();
            });
            std::vector<double> moved(fb.objects.size(), 0.0);
            for (size_t k = 0; k < order.size(); ++k) {
                const size_t i = order[k];
                const QRectF &design = fb.objects[i].object->rect;
                double shift = 0;
                for (size_t m = 0; m < k; ++m) {
                    const size_t j = order[m];
                    const QRectF &above = fb.objects[j].object->rect;
                    if (above.bottom() <= design.top() + kEps && overlapsHorizontally(above, design))
                        shift = std::max(shift, moved[j] + growth[j]);
                }
                moved[i] = shift;
                fb.objects[i].rect.moveTop(design.top() + shift);
            }
            double bottom = 0;
            for (const Placed &p : fb.objects)
                bottom = std::max(bottom, p.rect.bottom());
            fb.height = bottom;
        }
        for (Placed &p : fb.objects) {
            if (p.object->align == ObjectAlign::Client)
                p.rect = QRectF(0, 0, m_width, fb.height);
            else if (p.object->align == ObjectAlign::Right)
                p.rect.moveLeft(m_width - p.rect.width());
        }
    }

    void printBand(Band &band) {
        runHandler(band.onBeforePrint, QString());
        if (!band.visible)
            return;
        FilledBand fb = fill(band);
        place(fb);
    }

    PreparedObject prepared(const FilledBand &fb, const Placed &p, const QRectF &pageRect, double textOffset = 0) {
        PreparedObject o;
        o.textOffset = textOffset;
        o.kind = p.object->kind;
        o.band = fb.band->name;
        o.name = p.object->name;
        o.rect = pageRect;
        switch (o.kind) {
        case ReportObject::Kind::Memo:
            o.runs = p.runs;
            if (!p.rawText.isEmpty() && refersToPage(p.rawText))
                o.runs = parseMemoRuns(expandMemoText(p.rawText, m_impl.eval), p.object->allowHtmlTags);
            o.font = p.object->font;
            o.fill = p.object->fill;
            o.hAlign = p.object->hAlign;
            o.wordWrap = p.object->wordWrap;
            break;
        case ReportObject::Kind::Picture:
            o.picture = p.picture;
            o.pictureName = p.pictureName;
            break;
        case ReportObject::Kind::Stretch:
            o.spec = p.spec;
            o.state = p.stretch->WriteState();
            break;
        }
        return o;
    }

    void emitWhole(const FilledBand &fb, double y) {
        for (const Placed &p : fb.objects)
            m_result.pages.last().objects.append(prepared(fb, p, p.rect.translated(m_left, y)));
    }

    void place(FilledBand &fb) {
        if (fb.band->kind == BandKind::PageFooter)
            return; // placed by finishPage
        if (m_y + fb.height <= m_limit + kEps) {
            emitWhole(fb, m_y);
            m_y += fb.height;
            return;
        }
        if (fb.height <= m_limit - m_top + kEps) {
            newPage();
            emitWhole(fb, m_y);
            m_y += fb.height;
            return;
        }
        split(fb);
    }

    // Spreads a band taller than a page over pages. Objects are taken in order of their top;
    // an object that does not fit on the rest of the page moves on to the next (pushing the
    // objects below it along); a stretchable object is drawn in parts cut at whole lines.
    void split(FilledBand &fb) {
        struct Item {
            Placed *p;
            QRectF rect;     // in the current part
            bool started = false;
            double textOffset = 0; // of a memo split by lines
        };
        std::vector<Item> pending;
        for (Placed &p : fb.objects) {
            pending.push_back({&p, p.rect});
            if (p.stretch)
                p.stretch->ResetParts();
        }
        const double fullPage = m_limit - m_top;
        while (!pending.empty()) {
            std::stable_sort(pending.begin(), pending.end(),
                             [](const Item &a, const Item &b) { return a.rect.top() < b.rect.top(); });
            const double partEnd = m_limit - m_y;
            const bool freshPage = m_y <= m_top + kEps;
            struct Mover {
                QRectF oldRect;
                double push;
            };
            std::vector<Mover> movers;
            std::vector<Item> next;
            double partBottom = 0;
            for (Item &item : pending) {
                const QRectF original = item.rect;
                double shift = 0;
                for (const Mover &m : movers)
                    if (m.oldRect.bottom() <= original.top() + kEps && overlapsHorizontally(m.oldRect, original))
                        shift = std::max(shift, m.push);
                item.rect.moveTop(original.top() + shift);
                QRectF &r = item.rect;
                auto pushOn = [&](double newTopInPart) {
                    // The item continues at the start of the next part.
                    movers.push_back({original, newTopInPart - original.top()});
                    r.moveTop(newTopInPart);
                    next.push_back(item);
                };
                if (r.top() >= partEnd - kEps) {
                    pushOn(r.top());
                    continue;
                }
                Placed &p = *item.p;
                if (p.stretch && (item.started || r.bottom() > partEnd + kEps)) {
                    const double avail = std::min(partEnd, r.bottom()) - r.top();
                    double free = p.stretch->PaintNextPart(r.width(), avail);
                    double used = std::clamp(avail - free, 0.0, avail);
                    item.started = true;
                    const bool last = r.bottom() <= partEnd + kEps;
                    if (used <= kEps && freshPage && !last) {
                        // Not even one line fits on a whole page: asked again for the same part,
                        // the object cuts the line or picture that is taller than a page.
                        free = p.stretch->PaintNextPart(r.width(), avail);
                        used = std::clamp(avail - free, 0.0, avail);
                    }
                    if (used <= kEps && freshPage && !last) {
                        // An object that still lays out nothing gets the part forced rather than
                        // loop for ever.
                        used = avail;
                        r.setHeight(used);
                    }
                    if (last)
                        used = r.height();
                    if (used > kEps) {
                        m_result.pages.last().objects.append(
                            prepared(fb, p, QRectF(r.left() + m_left, r.top() + m_y, r.width(), used)));
                        partBottom = std::max(partBottom, r.top() + used);
                    }
                    const double remaining = r.height() - used;
                    if (remaining > kEps) {
                        QRectF rest(r.left(), partEnd, r.width(), remaining);
                        movers.push_back({original, rest.bottom() - original.bottom()});
                        item.rect = rest;
                        next.push_back(item);
                    }
                    continue;
                }
                if (r.bottom() <= partEnd + kEps) {
                    m_result.pages.last().objects.append(
                        prepared(fb, p, r.translated(m_left, m_y), item.textOffset));
                    partBottom = std::max(partBottom, r.bottom());
                    continue;
                }
                if (r.height() > fullPage + kEps && p.object->kind == ReportObject::Kind::Memo) {
                    // A memo taller than a page goes on in whole lines on the next page.
                    const double line = memoLineHeight(p.object->font);
                    const double gaps = 2 * memoVerticalGap();
                    int lines = int(std::floor((partEnd - r.top() - gaps) / line));
                    if (lines < 1 && freshPage)
                        lines = 1;
                    if (lines >= 1) {
                        const double shownHeight = std::min(lines * line + gaps, partEnd - r.top());
                        m_result.pages.last().objects.append(prepared(
                            fb, p, QRectF(r.left() + m_left, r.top() + m_y, r.width(), shownHeight), item.textOffset));
                        partBottom = std::max(partBottom, r.top() + shownHeight);
                        QRectF rest(r.left(), partEnd, r.width(), std::max(gaps, r.height() - lines * line));
                        movers.push_back({original, rest.bottom() - original.bottom()});
                        item.rect = rest;
                        item.textOffset += lines * line;
                        next.push_back(item);
                        continue;
                    }
                } else if (r.height() > fullPage && freshPage) {
                    // A picture taller than a page is cut at the page's bottom.
                    QRectF shown = r;
                    shown.setBottom(partEnd);
                    m_result.pages.last().objects.append(prepared(fb, p, shown.translated(m_left, m_y)));
                    partBottom = std::max(partBottom, shown.bottom());
                    continue;
                }
                pushOn(std::max(r.top(), partEnd));
            }
            if (next.empty()) {
                m_y += partBottom;
                break;
            }
            for (Item &item : next)
                item.rect.translate(0, -partEnd);
            pending = std::move(next);
            newPage();
        }
    }

    void finishPage() {
        if (m_result.pages.isEmpty() || !m_footer)
            return;
        runHandler(m_footer->onBeforePrint, QString());
        if (!m_footer->visible)
            return;
        FilledBand fb = fill(*m_footer);
        emitWhole(fb, m_limit);
    }

    void newPage() {
        finishPage();
        m_result.pages.append(PreparedPage());
        m_impl.eval.page = int(m_result.pages.size());
        m_y = m_top;
    }

    const QHash<QString, EventHandler> &m_handlers;
    const StretchObjectFactory &m_factory;
    ScriptContext::Impl m_impl;
    PreparedReport m_result;
    QList<Band *> m_bandPtrs;
    Band *m_footer = nullptr;
    std::map<const ReportObject *, std::unique_ptr<StretchObject>> m_stretch;
    std::map<const ReportObject *, std::shared_ptr<const StretchObjectSpec>> m_specs;
    double m_left = 0, m_top = 0, m_width = 0, m_bottom = 0, m_limit = 0, m_y = 0;
};

} // namespace

PreparedReport ReportEngine::prepare() {
    Preparation preparation(m_template, m_sources, m_functions, m_handlers, m_factory);
    return preparation.run();
}

} // namespace rezmira::report
