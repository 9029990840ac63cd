#pragma once

#include <gst/gst.h>

#include <memory>

// Owning handles for GStreamer objects: each releases its reference where it
// goes out of scope.
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstMessageUnref {
    void operator()(GstMessage *message) const { gst_message_unref(message); }
};
struct GstCapsUnref {
    void operator()(GstCaps *caps) const { gst_caps_unref(caps); }
};
struct GstSampleUnref {
    void operator()(GstSample *sample) const { gst_sample_unref(sample); }
};
struct GstTagListUnref {
    void operator()(GstTagList *tags) const { gst_tag_list_unref(tags); }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;
using GstTagListPtr = std::unique_ptr<GstTagList, GstTagListUnref>;
