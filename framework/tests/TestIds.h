// Resource ids and identifiers shared by the test control, its resources
// and the tests.
#pragma once

#define kTestTypeName 1
#define kTestPageName 2
#define kTestBitmap 1
#define kTestPropPageTemplate 200
#define kTestPropPageUnknownControl 201
#define kTestPropPageCaption 200
#define kTestDialog 100
#define kTestDialogUnknownControl 101
#define kTestDialogWindowless 102
#define kTestControlId 300
#define kTestAcceptId 400
#define kTestPrivateMessage (WM_USER + 13)
#define kTestMiscStatus 0x00020191
