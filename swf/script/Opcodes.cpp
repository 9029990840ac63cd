#include "Opcodes.h"

#include <iterator>

namespace swf {

namespace {

struct OpEntry {
    Op op;
    const char *name;
};

const OpEntry OpNames[] = {
    {Op::End, "End"},
    {Op::NextFrame, "NextFrame"},
    {Op::PreviousFrame, "PreviousFrame"},
    {Op::Play, "Play"},
    {Op::Stop, "Stop"},
    {Op::ToggleQuality, "ToggleQuality"},
    {Op::StopSounds, "StopSounds"},
    {Op::Add, "Add"},
    {Op::Subtract, "Subtract"},
    {Op::Multiply, "Multiply"},
    {Op::Divide, "Divide"},
    {Op::Equals, "Equals"},
    {Op::Less, "Less"},
    {Op::And, "And"},
    {Op::Or, "Or"},
    {Op::Not, "Not"},
    {Op::StringEquals, "StringEquals"},
    {Op::StringLength, "StringLength"},
    {Op::StringExtract, "StringExtract"},
    {Op::Pop, "Pop"},
    {Op::ToInteger, "ToInteger"},
    {Op::GetVariable, "GetVariable"},
    {Op::SetVariable, "SetVariable"},
    {Op::SetTarget2, "SetTarget2"},
    {Op::StringAdd, "StringAdd"},
    {Op::GetProperty, "GetProperty"},
    {Op::SetProperty, "SetProperty"},
    {Op::CloneSprite, "CloneSprite"},
    {Op::RemoveSprite, "RemoveSprite"},
    {Op::Trace, "Trace"},
    {Op::StartDrag, "StartDrag"},
    {Op::EndDrag, "EndDrag"},
    {Op::StringLess, "StringLess"},
    {Op::Throw, "Throw"},
    {Op::CastOp, "CastOp"},
    {Op::ImplementsOp, "ImplementsOp"},
    {Op::RandomNumber, "RandomNumber"},
    {Op::MBStringLength, "MBStringLength"},
    {Op::CharToAscii, "CharToAscii"},
    {Op::AsciiToChar, "AsciiToChar"},
    {Op::GetTime, "GetTime"},
    {Op::MBStringExtract, "MBStringExtract"},
    {Op::MBCharToAscii, "MBCharToAscii"},
    {Op::MBAsciiToChar, "MBAsciiToChar"},
    {Op::Delete, "Delete"},
    {Op::Delete2, "Delete2"},
    {Op::DefineLocal, "DefineLocal"},
    {Op::CallFunction, "CallFunction"},
    {Op::Return, "Return"},
    {Op::Modulo, "Modulo"},
    {Op::NewObject, "NewObject"},
    {Op::DefineLocal2, "DefineLocal2"},
    {Op::InitArray, "InitArray"},
    {Op::InitObject, "InitObject"},
    {Op::TypeOf, "TypeOf"},
    {Op::TargetPath, "TargetPath"},
    {Op::Enumerate, "Enumerate"},
    {Op::Add2, "Add2"},
    {Op::Less2, "Less2"},
    {Op::Equals2, "Equals2"},
    {Op::ToNumber, "ToNumber"},
    {Op::ToString, "ToString"},
    {Op::PushDuplicate, "PushDuplicate"},
    {Op::StackSwap, "StackSwap"},
    {Op::GetMember, "GetMember"},
    {Op::SetMember, "SetMember"},
    {Op::Increment, "Increment"},
    {Op::Decrement, "Decrement"},
    {Op::CallMethod, "CallMethod"},
    {Op::NewMethod, "NewMethod"},
    {Op::InstanceOf, "InstanceOf"},
    {Op::Enumerate2, "Enumerate2"},
    {Op::BitAnd, "BitAnd"},
    {Op::BitOr, "BitOr"},
    {Op::BitXor, "BitXor"},
    {Op::BitLShift, "BitLShift"},
    {Op::BitRShift, "BitRShift"},
    {Op::BitURShift, "BitURShift"},
    {Op::StrictEquals, "StrictEquals"},
    {Op::Greater, "Greater"},
    {Op::StringGreater, "StringGreater"},
    {Op::Extends, "Extends"},
    {Op::GotoFrame, "GotoFrame"},
    {Op::GetUrl, "GetUrl"},
    {Op::StoreRegister, "StoreRegister"},
    {Op::ConstantPool, "ConstantPool"},
    {Op::WaitForFrame, "WaitForFrame"},
    {Op::SetTarget, "SetTarget"},
    {Op::GotoLabel, "GotoLabel"},
    {Op::WaitForFrame2, "WaitForFrame2"},
    {Op::DefineFunction2, "DefineFunction2"},
    {Op::Try, "Try"},
    {Op::With, "With"},
    {Op::Push, "Push"},
    {Op::Jump, "Jump"},
    {Op::GetUrl2, "GetUrl2"},
    {Op::DefineFunction, "DefineFunction"},
    {Op::If, "If"},
    {Op::Call, "Call"},
    {Op::GotoFrame2, "GotoFrame2"},
};

} // namespace

QString OpName(int code)
{
    for (const OpEntry &entry : OpNames)
        if (int(entry.op) == code)
            return QString::fromLatin1(entry.name);
    return QString();
}

int OpCode(const QString &name)
{
    for (const OpEntry &entry : OpNames)
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return int(entry.op);
    return -1;
}

} // namespace swf
