// The parser of XmlDocument: a state machine over the input bytes that links element and
// attribute records whose names and values point into the input.
//
// It is deliberately forgiving: the end of the input ends the parse successfully in any state,
// end-tag names are not compared with start tags, and entities are left for the readers. It
// fails only on bytes that cannot start the construct expected where they stand.
#include "XmlDocument.h"
#include "XmlText.h"

#include <cstring>

// The steps are inlined into the dispatch loop: as separate calls they cost a fifth of the time
// of parsing a large manifest.
#if defined(__GNUC__) || defined(__clang__)
#define VELLUM_STEP [[gnu::always_inline]] inline
#else
#define VELLUM_STEP __forceinline
#endif

namespace vellum {

class XmlParser {
public:
    XmlParser(XmlDocument& document, const char* begin, const char* end)
        : document_(document), p_(begin), end_(end), position_(&document.head_) {}

    HRESULT Run();

private:
    enum class Step { Markup, Tag, Attributes, Content, Done, Failed };

    VELLUM_STEP Step Markup();
    VELLUM_STEP Step Tag();
    Step SkipDeclaration();
    Step SkipBalanced();
    VELLUM_STEP Step EndTag();
    VELLUM_STEP Step StartTag();
    VELLUM_STEP Step Attributes();
    VELLUM_STEP Step Attribute();
    VELLUM_STEP Step Content();

    Step Fail(HRESULT hr) {
        hr_ = hr;
        return Step::Failed;
    }
    bool AtEnd() const { return p_ == end_; }
    // The scans run on a local pointer, which the loop keeps in a register.
    void SkipSpace() {
        // Indentation comes in runs of spaces; take them eight at a time first.
        constexpr std::uint64_t kEightSpaces = 0x2020202020202020ull;
        const char* p = p_;
        std::uint64_t eight;
        while (end_ - p >= 8 && (std::memcpy(&eight, p, 8), eight == kEightSpaces))
            p += 8;
        p_ = SkipClass(p, xml::kSpace);
    }
    void SkipName() { p_ = SkipClass(p_, xml::kNameChar); }
    const char* SkipClass(const char* p, xml::CharClass cls) const {
        const char* const end = end_;
        while (p != end && xml::Is(*p, cls))
            ++p;
        return p;
    }
    // The first `c` at or after p_, or end_.
    const char* Find(char c) const {
        const void* hit = std::memchr(p_, c, static_cast<std::size_t>(end_ - p_));
        return hit ? static_cast<const char*>(hit) : end_;
    }
    static bool HasAmp(const char* begin, const char* end) {
        return std::memchr(begin, '&', static_cast<std::size_t>(end - begin)) != nullptr;
    }
    void CloseElement();

    XmlDocument& document_;
    const char* p_;
    const char* const end_;
    // Elements open; the parse ends when it falls back to 0.
    std::int32_t level_ = 0;
    // The element most recently opened, or the one whose end tag was seen last.
    XmlNode* position_;
    XmlAttribute** attributeLink_ = nullptr;
    HRESULT hr_ = S_OK;
};

HRESULT XmlParser::Run() {
    Step step = Step::Markup;
    for (;;) {
        switch (step) {
        case Step::Markup:
            step = Markup();
            break;
        case Step::Tag:
            step = Tag();
            break;
        case Step::Attributes:
            step = Attributes();
            break;
        case Step::Content:
            step = Content();
            break;
        case Step::Done:
            return S_OK;
        case Step::Failed:
            return hr_;
        }
    }
}

// Between tags where no text may stand: white space, then '<' with something after it.
XmlParser::Step XmlParser::Markup() {
    SkipSpace();
    if (AtEnd())
        return Step::Done;
    if (*p_ != '<' || p_ + 1 == end_)
        return Fail(E_FAIL);
    ++p_;
    return Step::Tag;
}

// Just after '<'.
XmlParser::Step XmlParser::Tag() {
    if (AtEnd())
        return Step::Done;
    switch (*p_) {
    case '!':
        ++p_;
        return SkipBalanced();
    case '?':
        ++p_;
        return SkipDeclaration();
    case '/':
        ++p_;
        return EndTag();
    default:
        return xml::Is(*p_, xml::kNameStart) ? StartTag() : Fail(E_FAIL);
    }
}

// "<?...>": declarations and processing instructions end at the first '>'.
XmlParser::Step XmlParser::SkipDeclaration() {
    p_ = Find('>');
    if (AtEnd())
        return Step::Done;
    ++p_;
    return Step::Markup;
}

// "<!...>": comments, DOCTYPE and CDATA end at the '>' that balances the '<' before the '!',
// counting every '<' inside as one more level.
XmlParser::Step XmlParser::SkipBalanced() {
    std::size_t open = 1;
    while (p_ != end_) {
        char c = *p_++;
        if (c == '<')
            ++open;
        else if (c == '>' && --open == 0)
            return Step::Markup;
    }
    return Step::Done;
}

XmlParser::Step XmlParser::EndTag() {
    if (AtEnd())
        return Step::Done;
    // An end tag before any element has nothing to close.
    if (level_ == 0)
        return Fail(E_FAIL);
    if (xml::Is(*p_, xml::kNameStart)) {
        SkipName();
        CloseElement();
        if (level_ == 0 || AtEnd())
            return Step::Done;
        if (*p_ != '>')
            return Fail(E_FAIL);
        ++p_;
        return Step::Markup;
    }
    // "</>" closes the open element, and text may follow it.
    if (*p_ != '>')
        return Fail(E_FAIL);
    ++p_;
    CloseElement();
    return level_ == 0 ? Step::Done : Step::Content;
}

void XmlParser::CloseElement() {
    --level_;
    if (position_->depth > level_ && position_->parent)
        position_ = position_->parent;
}

XmlParser::Step XmlParser::StartTag() {
    const char* name = p_;
    SkipName();
    if (level_ >= XmlDocument::kMaxDepth)
        return Fail(E_FAIL);
    XmlNode* node = document_.nodes_.New();
    if (!node)
        return Fail(E_OUTOFMEMORY);
    node->name = name;
    node->nameLength = static_cast<std::size_t>(p_ - name);
    // The parse position is either the element this one is nested in (opened just before, so
    // still childless) or the last element closed at this level (so the last sibling).
    if (position_->depth == level_) {
        node->prev = position_;
        node->parent = position_->parent;
        position_->next = node;
    } else {
        node->parent = position_;
        position_->firstChild = node;
    }
    node->depth = level_++;
    position_ = node;
    attributeLink_ = &node->firstAttribute;
    return Step::Attributes;
}

XmlParser::Step XmlParser::Attributes() {
    for (;;) {
        SkipSpace();
        if (AtEnd())
            return Step::Done;
        if (*p_ == '>') {
            ++p_;
            return Step::Content;
        }
        if (*p_ == '/') {
            if (p_ + 1 == end_)
                return Step::Done;
            if (p_[1] != '>')
                return Fail(E_FAIL);
            p_ += 2;
            return --level_ == 0 ? Step::Done : Step::Content;
        }
        Step step = Attribute();
        if (step != Step::Attributes)
            return step;
    }
}

// name = "value" or name = 'value'; the value runs to the next byte equal to its opening quote.
XmlParser::Step XmlParser::Attribute() {
    if (!xml::Is(*p_, xml::kNameStart))
        return Fail(E_FAIL);
    const char* name = p_;
    SkipName();
    const char* nameEnd = p_;
    SkipSpace();
    if (AtEnd())
        return Step::Done;
    if (*p_ != '=')
        return Fail(E_FAIL);
    ++p_;
    SkipSpace();
    if (AtEnd())
        return Step::Done;
    const char quote = *p_;
    if (quote != '"' && quote != '\'')
        return Fail(E_FAIL);
    const char* value = ++p_;
    // Values are short as a rule, so a plain loop beats two library scans.
    bool hasAmp = false;
    const char* close = value;
    for (; close != end_ && *close != quote; ++close)
        hasAmp |= *close == '&';
    XmlAttribute* attribute = document_.attributes_.New();
    if (!attribute)
        return Fail(E_OUTOFMEMORY);
    attribute->name = name;
    attribute->nameLength = static_cast<std::size_t>(nameEnd - name);
    attribute->value = value;
    attribute->valueLength = static_cast<std::size_t>(close - value);
    attribute->valueHasAmp = hasAmp;
    *attributeLink_ = attribute;
    attributeLink_ = &attribute->next;
    p_ = close == end_ ? end_ : close + 1;
    return Step::Attributes;
}

// After a start tag or an empty element: white space, or the text of the parse position.
XmlParser::Step XmlParser::Content() {
    SkipSpace();
    if (AtEnd())
        return Step::Done;
    if (*p_ != '<') {
        const char* text = p_;
        p_ = Find('<');
        position_->text = text;
        position_->textLength = static_cast<std::size_t>(p_ - text);
        position_->textHasAmp = HasAmp(text, p_);
        if (AtEnd())
            return Step::Done;
    }
    ++p_;
    return Step::Tag;
}

HRESULT XmlDocument::Parse(const std::uint8_t* data, std::size_t size) {
    const char* begin = reinterpret_cast<const char*>(data);
    HRESULT hr = XmlParser(*this, begin, begin + size).Run();
    cursor_ = &head_;
    cursorDepth_ = 0;
    return hr;
}

} // namespace vellum
