// How fetches and downloads end, reported through the views (`transferEnded`): one call at
// each point where a transfer succeeds or fails.
#pragma once

#include "engine/views.h"
#include "http/address.h"

#include <atomic>
#include <cstdint>

// Reports `outcome` for `address`; held instead while this thread holds its failures.
void ReportTransfer(const AddressRecord& address, int outcome, int64_t number = 0, const char* detail = "");
// Reports why this thread's last connect failed (see LastConnectFailure).
void ReportConnectFailure(const AddressRecord& address);
// Reports the head's status line as kHttpStatus.
void ReportStatus(const AddressRecord& address, const char* head);
// True when the head's status is `wanted`; otherwise reports it and gives false.
bool HasStatus(const AddressRecord& address, const char* head, int wanted);
// A page's end: kPageFetched when bytes came, kEmptyPage when none came and no immediate stop
// cut it short. Returns `stored`.
int ReportPage(const AddressRecord& address, int stored, const std::atomic<int32_t>& stopMode);

// While a job's start page is fetched its failure is held, so that the crawl reports it once
// as the start page's (kStartPageFailed, with the job's address).
void HoldFailures();
// Ends the holding. When `failed`, reports the held failure (kEmptyPage when none was held)
// for `jobAddress`.
void ReportHeldFailure(const char* jobAddress, bool failed);
