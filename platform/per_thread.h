// Each thread's own object of a type, kept until the thread ends.
//
//   struct KeptParser;  // a tag, when one type needs more than one slot
//   using Kept = smarttag::platform::PerThread<glr::Parser, KeptParser>;
//   if (!Kept::Get()) Kept::Reset(std::make_unique<glr::Parser>(tables));
//   Kept::Get()->parse(...);
//
// The object is deleted when its thread ends, or at once by Reset. Once a
// thread's object is being deleted at thread exit, Get may answer null on
// that thread (so code run by destructors at thread exit must take null as
// "no object" and must not make a new one).
//
// Elsewhere the pointer is a plain thread_local and a thread_local owner
// deletes the object. MinGW cannot be trusted with thread_local objects that
// have destructors: its emulated thread-local storage may give a finished
// thread's storage back before that thread's thread_local destructors have
// run, and a destructor then reads memory another thread may already be
// using. On Windows the object is kept in a fiber-local storage slot instead,
// whose callback deletes it when the thread ends; the slot is given back,
// deleting the objects of threads still running, when the library is
// unloaded.
#pragma once

#include <memory>

#if defined(_WIN32)
#include <windows.h>

#include <new>
#endif

namespace smarttag::platform {

template <class T, class Tag = T>
class PerThread {
public:
    // This thread's object, or null.
    static T* Get() {
#if defined(_WIN32)
        return static_cast<T*>(FlsGetValue(Slot().index));
#else
        return Pointer();
#endif
    }

    // Makes `object` this thread's object and deletes the one before.
    static void Reset(std::unique_ptr<T> object = nullptr) {
#if defined(_WIN32)
        T* const before = Get();
        if (!FlsSetValue(Slot().index, object.get())) throw std::bad_alloc();
        object.release();
        delete before;
#else
        static thread_local Owner owner;  // deletes the object at thread exit
        (void)owner;
        T* const before = Pointer();
        Pointer() = object.release();
        delete before;
#endif
    }

private:
#if defined(_WIN32)
    static void WINAPI Delete(void* object) { delete static_cast<T*>(object); }

    struct FiberSlot {
        FiberSlot() : index(FlsAlloc(&Delete)) {
            if (index == FLS_OUT_OF_INDEXES) throw std::bad_alloc();
        }
        ~FiberSlot() { FlsFree(index); }
        FiberSlot(const FiberSlot&) = delete;
        FiberSlot& operator=(const FiberSlot&) = delete;
        const DWORD index;
    };

    static const FiberSlot& Slot() {
        static const FiberSlot slot;
        return slot;
    }
#else
    static T*& Pointer() {
        thread_local T* object = nullptr;
        return object;
    }

    struct Owner {
        ~Owner() {
            T* const object = Pointer();
            Pointer() = nullptr;
            delete object;
        }
    };
#endif
};

}  // namespace smarttag::platform
