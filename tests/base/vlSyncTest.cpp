#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>
#include "traceCapture.h"
#include "vlModule.h"
#include "vlThreadMutex.h"

namespace {
using SyncTraced = TraceTest;

// The %x form of an address in the trace lines (its low 32 bits).
std::string hex(const void* address) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(address)));
  return text;
}

bool wasTraced(const std::string& line) {
  for (const std::string& t : traced)
    if (t == line) return true;
  return false;
}

using Clock = std::chrono::steady_clock;
long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Gives another thread time to run into a held lock or to signal.
void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
}  // namespace

TEST_F(SyncTraced, SyncObjectWaitsWithTimeOutAndCountsHolds) {
  vlSyncObject sync("ev");
  sync.handle(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  ASSERT_NE(sync.handle(), nullptr);
  EXPECT_EQ(sync(), sync.handle());

  Clock::time_point start = Clock::now();
  EXPECT_EQ(sync.lock(0), 258);
  EXPECT_LT(millisecondsSince(start), 1000);
  EXPECT_EQ(sync.lastError, 258);
  EXPECT_EQ(sync.lockCount, 0);
  EXPECT_TRUE(wasTraced("<<vlSync::wait <<error: 258>>>>\n"));

  start = Clock::now();
  EXPECT_EQ(sync.lock(60), 258);
  EXPECT_GE(millisecondsSince(start), 50);

  ASSERT_TRUE(SetEvent(sync.handle()));
  EXPECT_EQ(sync.lock(0), 0);
  EXPECT_EQ(sync.lastError, 0);
  EXPECT_EQ(sync.lockCount, 1);
  EXPECT_EQ(sync.lock(0), 258) << "an auto-reset event is taken by the wait";
  EXPECT_EQ(sync.lockCount, 1);

  std::thread setter([&sync] {
    pause(50);
    SetEvent(sync.handle());
  });
  EXPECT_EQ(sync.lock(-1), 0) << "no limit: waits for the other thread";
  setter.join();
  EXPECT_EQ(sync.lockCount, 2);
  sync.lockCount = 0;
}

TEST_F(SyncTraced, SyncObjectWaitOnBadHandleFails) {
  vlSyncObject sync(nullptr);
  EXPECT_EQ(sync.lock(0), 6);
  EXPECT_EQ(sync.lastError, 6);
  EXPECT_TRUE(wasTraced("<<vlSync::wait 無効なハンドル>>\n"));
  EXPECT_EQ(sync.lockCount, 0);
}

TEST_F(SyncTraced, SyncObjectCloseForgetsTheHandleEvenWhenClosingFails) {
  vlSyncObject sync(nullptr);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  sync.handle(event);
  EXPECT_EQ(sync.close(), 0);
  EXPECT_EQ(sync.handle(), nullptr);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CloseHandle(event)) << "close() must have closed it";
  EXPECT_EQ(GetLastError(), 6u);

  sync.handle(event);  // stale now
  EXPECT_EQ(sync.close(), 6);
  EXPECT_EQ(sync.handle(), nullptr);
  EXPECT_TRUE(wasTraced("<<vlSync::close 無効なハンドル>>\n"));
  EXPECT_EQ(sync.close(), 0) << "nothing left to close";
}

TEST(vlSyncObject, KernelNameIsBoundedAndNullable) {
  struct Row {
    std::string given;
    std::string stored;
  } rows[] = {
      {"", ""},
      {"abc", "abc"},
      {std::string(400, 'a'), std::string(299, 'a')},
      {std::string(299, 'a'), std::string(299, 'a')},
      {std::string(298, 'a') + "ソ", std::string(298, 'a')},  // never half a character
      {std::string(297, 'a') + "ソ", std::string(297, 'a') + "ソ"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    vlSyncObject sync(rows[i].given.c_str());
    ASSERT_NE(sync.name(), nullptr) << "row " << i;
    EXPECT_EQ(std::string(sync.name()), rows[i].stored) << "row " << i;
    EXPECT_STREQ(sync.objectName, "vlSync") << "row " << i;
  }
  vlSyncObject sync("first");
  EXPECT_EQ(sync.name(nullptr), nullptr);
  EXPECT_EQ(sync.name(), nullptr);
  EXPECT_STREQ(sync.syncName, "first") << "the buffer keeps its bytes";
  vlSyncObject nameless(nullptr);
  EXPECT_EQ(nameless.name(), nullptr);
}

TEST(vlSyncObject, OwnedSecurityAttributesAreDeletedWhenReplacedOrDestroyed) {
  // The sanitizer run catches a leak or a double delete here.
  SECURITY_ATTRIBUTES kept = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  {
    vlSyncObject sync(nullptr);
    EXPECT_FALSE(sync.ownsSecurity);
    EXPECT_EQ(sync.securityAttributes, nullptr);
    sync.security(new SECURITY_ATTRIBUTES(), true);
    sync.security(&kept, false);  // deletes the owned ones
    EXPECT_EQ(sync.securityAttributes, &kept);
    EXPECT_FALSE(sync.ownsSecurity);
    sync.security(new SECURITY_ATTRIBUTES(), true);  // deleted by the destructor
    EXPECT_TRUE(sync.ownsSecurity);
  }
  EXPECT_EQ(kept.bInheritHandle, TRUE);
}

TEST_F(SyncTraced, SyncObjectTracesConstructionAndLeftOverHolds) {
  const char* name = "held";
  vlSyncObject* sync = new vlSyncObject(name);
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], "vlSyncObject " + hex(name) + "\n");
  sync->handle(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  ASSERT_EQ(sync->lock(0), 0);
  traced.clear();
  std::string expected = "<<unmach lockCount 1 " + hex(sync) + " (vlSync)>>\n";
  delete sync;
  EXPECT_EQ(traced, std::vector<std::string>{expected});
}

TEST_F(SyncTraced, ThreadMutexIsReentrantAndFreeAfterEqualUnlocks) {
  vlThreadMutex mutex;
  EXPECT_EQ(traced, (std::vector<std::string>{"vlSyncObject 0\n", "vlThreadMutex \n"}));
  EXPECT_FALSE(mutex.initialised);
  EXPECT_EQ(mutex.create(), 0);
  EXPECT_TRUE(mutex.initialised);

  mutex.lock();
  mutex.lock();
  EXPECT_EQ(mutex.lockCount, 2);
  EXPECT_EQ(mutex.unlock(), 0);
  EXPECT_EQ(mutex.unlock(), 0);
  EXPECT_EQ(mutex.lockCount, 0);

  bool entered = false;
  std::thread other([&] {
    mutex.lock();
    entered = true;
    mutex.unlock();
  });
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_EQ(mutex.lockCount, 0);
}

TEST(vlThreadMutex, ExcludesAnotherThreadUntilReleased) {
  vlThreadMutex mutex;
  mutex.create();
  mutex.create();  // set up once: a second set-up would free the held section
  mutex.lock();
  mutex.create();
  std::atomic<bool> entered(false);
  std::thread other([&] {
    mutex.lock();
    entered = true;
    mutex.unlock();
  });
  pause(100);
  EXPECT_FALSE(entered) << "the other thread got in while the lock was held";
  mutex.unlock();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(vlThreadMutex, GivesMutualExclusionBetweenTwoThreads) {
  vlThreadMutex mutex;
  mutex.open();
  int inside = 0;
  int overlaps = 0;
  long long total = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      mutex.lock();
      if (++inside != 1) ++overlaps;
      total += 1;
      --inside;
      mutex.unlock();
    }
  };
  std::thread first(work);
  std::thread second(work);
  first.join();
  second.join();
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(total, 40000);
  EXPECT_EQ(mutex.lockCount, 0);
}

TEST_F(SyncTraced, ThreadMutexCloseAndDestructionWhileHeld) {
  vlThreadMutex* mutex = new vlThreadMutex;
  mutex->create();
  mutex->lock();
  mutex->unlock();
  traced.clear();
  mutex->close();
  EXPECT_FALSE(mutex->initialised);
  EXPECT_EQ(traced, std::vector<std::string>{"vlThreadMutex close 0\n"});
  mutex->create();  // usable again
  mutex->lock();
  traced.clear();
  std::string leftOver = "<<unmach lockCount 1 " + hex(mutex) + " (vlSync)>>\n";
  delete mutex;
  EXPECT_EQ(traced,
            (std::vector<std::string>{"~vlThreadMutex 1\n", "vlThreadMutex close 1\n", leftOver}));
}

TEST(vlThreadMutex, ModuleThreadLockUsesTheApplicationMutex) {
  vlModule module;
  module.threadLock();  // without a mutex: nothing
  EXPECT_EQ(module.threadUnlock(), 0);

  vlThreadMutex mutex;
  mutex.create();
  module.threadMutex = &mutex;
  module.threadLock();
  module.threadLock();
  EXPECT_EQ(mutex.lockCount, 2);
  EXPECT_EQ(module.threadUnlock(), 0);
  EXPECT_EQ(module.threadUnlock(), 0);
  EXPECT_EQ(mutex.lockCount, 0);
}

// The event and wait calls under the sync objects, checked against their Win32 contract.
TEST(SyncCalls, EventsAndWaits) {
  HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "manual reset stays signalled";
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(CloseHandle(manual));

  SetLastError(0xdeadbeef);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED) << "closed handle";
  EXPECT_EQ(GetLastError(), 6u);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), 6u);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(SetEvent(nullptr));
  EXPECT_EQ(GetLastError(), 6u);
}

TEST(SyncCalls, NamedEventIsSharedInsideTheProcess) {
  SetLastError(0xdeadbeef);
  HANDLE first = CreateEventA(nullptr, TRUE, FALSE, "vlSyncTestEvent");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  SetLastError(0xdeadbeef);
  HANDLE second = CreateEventA(nullptr, FALSE, TRUE, "vlSyncTestEvent");
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(GetLastError(), 183u);
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the initial state of an existing event is ignored";
  SetEvent(second);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0) << "it stays a manual-reset event";
  CloseHandle(first);
  CloseHandle(second);

  SetLastError(0xdeadbeef);
  HANDLE fresh = CreateEventA(nullptr, FALSE, FALSE, "vlSyncTestEvent");
  EXPECT_EQ(GetLastError(), 0u) << "the name died with its last handle";
  EXPECT_EQ(WaitForSingleObject(fresh, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(fresh);
}
