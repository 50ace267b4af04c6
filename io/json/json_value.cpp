// JsonValue, JsonArray and JsonObject (declared in io/json/json_document.h).
#include "io/json/json_document.h"

#include "io/json/json_number.h"

namespace
{
bool startsNumber(char c) { return c == '-' || (c >= '0' && c <= '9'); }
}  // namespace

JsonType JsonValue::type() const
{
    const char c = myDoc->text()[myOffset];
    switch (c)
    {
    case '[':
        return JsonType::Array;
    case '{':
        return JsonType::Object;
    case '"':
        return JsonType::String;
    case 't':
    case 'f':
        myDoc->valueEnd(myOffset);
        return JsonType::Bool;
    case 'n':
        myDoc->valueEnd(myOffset);
        return JsonType::Null;
    default:
        break;
    }
    if (!startsNumber(c))
        myDoc->valueEnd(myOffset);  // faults
    JsonNumber n;
    number(n);
    return n.kind == JsonNumber::Int64    ? JsonType::Int64
           : n.kind == JsonNumber::Uint64 ? JsonType::Uint64
                                          : JsonType::Double;
}

std::string_view JsonValue::string() const
{
    if (!isString())
        myDoc->fault(myOffset, "expected a string");
    size_t end = 0;
    return myDoc->readString(myOffset, end);
}

bool JsonValue::boolean() const
{
    myDoc->valueEnd(myOffset);
    const char c = myDoc->text()[myOffset];
    if (c != 't' && c != 'f')
        myDoc->fault(myOffset, "expected true or false");
    return c == 't';
}

void JsonValue::number(JsonNumber &out) const
{
    const char *text = myDoc->text();
    const char *end = startsNumber(text[myOffset]) ? readJsonNumber(text + myOffset, out) : nullptr;
    if (!end)
        myDoc->fault(myOffset, "a malformed or out-of-range number");
    myDoc->remember(myOffset, size_t(end - text));
}

JsonArray JsonValue::array() const
{
    if (!isArray())
        myDoc->fault(myOffset, "expected an array");
    return JsonArray(myDoc, myOffset);
}

JsonObject JsonValue::object() const
{
    if (!isObject())
        myDoc->fault(myOffset, "expected an object");
    return JsonObject(myDoc, myOffset);
}

JsonArray::Iterator JsonArray::begin() const
{
    Iterator it;
    it.myDoc = myDoc;
    it.myOpen = myOpen;
    const size_t p = myDoc->skipSpace(myOpen + 1);
    if (myDoc->text()[p] == ']')
    {
        myDoc->remember(myOpen, p + 1);
        return it;
    }
    it.myPos = p;
    it.myAtEnd = false;
    return it;
}

JsonArray::Iterator &JsonArray::Iterator::operator++()
{
    const size_t p = myDoc->skipSpace(myDoc->valueEnd(myPos));
    const char c = myDoc->text()[p];
    if (c == ']')
    {
        myDoc->remember(myOpen, p + 1);
        myAtEnd = true;
        return *this;
    }
    if (c != ',')
        myDoc->fault(p, p >= myDoc->size() ? "the text ends inside an array" : "expected ',' or ']' in an array");
    myPos = myDoc->skipSpace(p + 1);
    const char v = myDoc->text()[myPos];
    if (v == ']')
        myDoc->fault(myPos, "a ',' before the end of an array");
    return *this;
}

size_t JsonArray::size() const
{
    size_t n = 0;
    for (Iterator it = begin(); !it.atEnd(); ++it)
        ++n;
    return n;
}

bool JsonObject::find(std::string_view key, JsonValue &value) const
{
    const char *text = myDoc->text();
    size_t p = myDoc->skipSpace(myOpen + 1);
    if (text[p] == '}')
        return false;
    for (;;)
    {
        if (text[p] != '"')
            myDoc->fault(p, "expected a string key in an object");
        size_t end = 0;
        const std::string_view name = myDoc->readString(p, end);
        p = myDoc->skipSpace(end);
        if (text[p] != ':')
            myDoc->fault(p, "expected ':' after an object key");
        p = myDoc->skipSpace(p + 1);
        if (name == key)
        {
            value = JsonValue(myDoc, p);
            return true;
        }
        p = myDoc->skipSpace(myDoc->valueEnd(p));
        if (text[p] == '}')
            return false;
        if (text[p] != ',')
            myDoc->fault(p, "expected ',' or '}' in an object");
        p = myDoc->skipSpace(p + 1);
    }
}
