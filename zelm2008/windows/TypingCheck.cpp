#include "zelm2008/windows/TypingCheck.h"

#include <algorithm>
#include <array>

namespace zelm {

namespace {
constexpr unsigned char kBackspace = 8;
constexpr unsigned char kWrongMark = '_';
constexpr unsigned char kRight = 1;
constexpr unsigned char kWrong = 2;

QByteArray trimmedBlanks(QByteArray line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin] == ' ')
        ++begin;
    while (end > begin && line[end - 1] == ' ')
        --end;
    return line.mid(begin, end - begin);
}
} // namespace

QByteArray ReferenceFromKeyedText(const QByteArray &keyedText) {
    QByteArray reference;
    qsizetype start = 0;
    while (start < keyedText.size()) {
        qsizetype end = keyedText.indexOf('\n', start);
        const bool lastLine = end < 0;
        if (lastLine)
            end = keyedText.size();
        QByteArray line = keyedText.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        reference += trimmedBlanks(std::move(line));
        reference += ' ';
        start = end + 1;
    }
    return reference;
}

int TypingResult::percentCorrect() const {
    if (typed <= 0)
        return -1;
    const int good = std::max(0, typed - errors);
    return good * 100 / typed;
}

void TypingCheck::Load(QByteArray referenceText) {
    m_reference = std::move(referenceText);
    m_typePos = 1;
    m_marks.assign(static_cast<size_t>(m_reference.size()), 0);
}

KeyVerdict TypingCheck::Judge(unsigned char k) {
    if ((k >= 97 && k <= 122) || k >= 224)
        k = static_cast<unsigned char>(k - 32);
    if (k == kBackspace) {
        if (m_typePos > 1) {
            --m_typePos;
            m_marks[static_cast<size_t>(m_typePos - 1)] = 0;
        }
        return {KeyVerdict::Action::Pass, k};
    }
    if (k < 32)
        return {KeyVerdict::Action::Pass, k};

    const int length = static_cast<int>(m_reference.size());
    if (length == 0)
        return {KeyVerdict::Action::Discard, k};
    const int pos = m_typePos;
    const bool right = static_cast<unsigned char>(m_reference[pos - 1]) == k;
    if (!right)
        k = kWrongMark;
    ++m_typePos;
    if (m_typePos > length) {
        m_typePos = length;
        return {KeyVerdict::Action::Discard, k};
    }
    m_marks[static_cast<size_t>(pos - 1)] = right ? kRight : kWrong;
    return {KeyVerdict::Action::Insert, k};
}

TypingResult TypingCheck::Result() const {
    TypingResult r;
    std::array<int, 256> missedBy{};
    for (size_t i = 0; i < m_marks.size(); ++i) {
        const auto expected = static_cast<unsigned char>(m_reference[static_cast<qsizetype>(i)]);
        const bool blank = expected == ' ';
        if (!blank)
            ++r.characters;
        if (m_marks[i] == 0)
            continue;
        if (m_marks[i] == kWrong) {
            ++r.errors;
            if (!blank)
                ++missedBy[expected];
        }
        if (!blank) {
            ++r.typed;
            if (m_marks[i] == kRight)
                ++r.correct;
        }
    }
    for (int c = 0; c < 256; ++c)
        if (missedBy[static_cast<size_t>(c)] > 0)
            r.missed.emplace_back(static_cast<unsigned char>(c), missedBy[static_cast<size_t>(c)]);
    std::stable_sort(r.missed.begin(), r.missed.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    return r;
}

} // namespace zelm
