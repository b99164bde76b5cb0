// Root of the library's object chain.
#pragma once

namespace LmLib::Object
{
    class CLmCommonObject
    {
    public:
        CLmCommonObject() = default;
        CLmCommonObject(const CLmCommonObject&) = delete;
        CLmCommonObject& operator=(const CLmCommonObject&) = delete;
        virtual ~CLmCommonObject();
    };
}
