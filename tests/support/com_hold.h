// Holds one reference to a COM object and releases it at scope exit.
#pragma once

namespace vmxtest {

template <class T>
class ComHold {
public:
    explicit ComHold(T* object = nullptr) : object_(object) {}
    ~ComHold() {
        if (object_) object_->Release();
    }
    ComHold(const ComHold&) = delete;
    ComHold& operator=(const ComHold&) = delete;
    T* operator->() const { return object_; }
    T* Get() const { return object_; }
    // For out-parameters: releases what is held and gives the slot to fill.
    T** Put() {
        if (object_) object_->Release();
        object_ = nullptr;
        return &object_;
    }

private:
    T* object_;
};

}  // namespace vmxtest
