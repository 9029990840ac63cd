#pragma once

#include "swf/avm2/Runtime.h"

namespace swf::avm2 {

// The parts of a description avmplus.describeType's flags choose.
enum DescribeFlags : uint32_t {
    DescribeHideNsUriMethods = 0x0001,
    DescribeBases = 0x0002,
    DescribeInterfaces = 0x0004,
    DescribeVariables = 0x0008,
    DescribeAccessors = 0x0010,
    DescribeMethods = 0x0020,
    DescribeMetadata = 0x0040,
    DescribeConstructor = 0x0080,
    DescribeTraits = 0x0100,
    DescribeUseInstanceTraits = 0x0200,
    DescribeHideObject = 0x0400,
    // What flash.utils.describeType describes.
    DescribeFlash10 = DescribeBases | DescribeInterfaces | DescribeVariables | DescribeAccessors | DescribeMethods |
                      DescribeMetadata | DescribeConstructor | DescribeTraits,
};

// The <type> element describing value (a class, or an object of one).
XmlNodePtr DescribeTypeTree(Runtime &rt, const Value &value, uint32_t flags);
// The same as an XML object.
Value DescribeType(Runtime &rt, const Value &value, uint32_t flags);

} // namespace swf::avm2
