// flash.filters.BitmapFilter: what every filter inherits (clone), and
// MovieClip.filters, which hands clips the filters they draw with.
#include "Builtins.h"
#include "FilterProperties.h"

#include "swf/DisplayObject.h"
#include "swf/MoviePlayer.h"

namespace swf {

namespace {

Value construct(NativeCall &call) { return call.construct ? call.self : Value(Undefined{}); }

const FilterPayload *payloadOf(const Value &value)
{
    const ScriptObject *object = objectOf(value);
    return object ? object->payloadAs<FilterPayload>() : nullptr;
}

Value clone(NativeCall &call)
{
    const FilterPayload *filter = payloadOf(call.self);
    return filter ? NewFilterObject(call, filter->type, filter->state) : Value(Undefined{});
}

} // namespace

Value ClipFilters(NativeCall &call)
{
    const DisplayObject *clip = call.clip();
    if (!clip)
        return Undefined{};
    // Copies: changing them changes nothing until they are set again.
    std::vector<Value> copies;
    if (clip->filters)
        for (const Filter &filter : *clip->filters)
            copies.push_back(NewFilterObject(call, filter.type, ScriptFilterState(filter)));
    return ObjectValue(call.engine().newArray(std::move(copies)));
}

Value SetClipFilters(NativeCall &call)
{
    DisplayObject *clip = call.clip();
    const ScriptObject *array = objectOf(call.arg(0));
    if (!clip || !array || array->kind != ScriptObject::Kind::Array)
        return Undefined{};
    // What is not a filter is left out.
    FilterList filters;
    for (const Value &element : array->elements)
        if (const FilterPayload *filter = payloadOf(element); filter && filters.size() < size_t(MaxFilters))
            filters.push_back(EngineFilter(filter->type, filter->state));
    clip->filters = filters.empty() ? nullptr : std::make_shared<const FilterList>(std::move(filters));
    call.player().markChanged();
    return Undefined{};
}

const ClassDecl BitmapFilterClass{
    "flash.filters.BitmapFilter",
    construct,
    {{"clone", clone}},
    {},
    {},
    FilterClassVersion,
};

} // namespace swf
