// The npm "soap" client on the job of zentavo_bench's bulk-job benchmark,
// for a side-by-side figure: one client built from the service's WSDL
// (untimed), then per job the same twelve requests (create, ten batches of
// 1,000 recipients, ready) written and their replies parsed. The transport
// is in memory: the client's HTTP request function answers at once with the
// operation's canned reply.
//
//   node soap_peer_bench.js <soap module> <wsdl> [--scale X]
//
// Prints one line in zentavo_bench's layout; the figure is milliseconds per job.
'use strict';

const path = require('path');

const [soapModule, wsdlPath, ...rest] = process.argv.slice(2);
if (!soapModule || !wsdlPath) {
  console.error('usage: node soap_peer_bench.js <soap module> <wsdl> [--scale X]');
  process.exit(2);
}
const scaleAt = rest.indexOf('--scale');
const scale = scaleAt >= 0 ? Number(rest[scaleAt + 1]) : 1;
const soap = require(path.resolve(soapModule));

const SERVICE = 'http://www.zentavosms.com/api/webservices/';

function reply(operation, children) {
  return '<?xml version="1.0" encoding="utf-8"?><soap:Envelope ' +
    'xmlns:soap="http://www.w3.org/2003/05/soap-envelope"><soap:Body><' +
    operation + 'Response xmlns="' + SERVICE + '"><' + operation + 'Result>' +
    children + '</' + operation + 'Result></' + operation + 'Response></soap:Body></soap:Envelope>';
}

const replies = {
  CreateSMSTextBulkJob: reply('CreateSMSTextBulkJob', '<BulkJobId>5000001</BulkJobId><ErrorCode>OK</ErrorCode>'),
  AppendRecipients: reply('AppendRecipients', '<ErrorCode>OK</ErrorCode>'),
  SetBulkJobReady: reply('SetBulkJobReady', '<ErrorCode>OK</ErrorCode>'),
};

// Answers each request with its operation's reply, named by the SOAP 1.2
// action in the content type.
class MemoryHttpClient {
  constructor() {
    this.bytesSent = 0;
  }

  request(url, data, callback, headers) {
    this.bytesSent += Buffer.byteLength(data);
    const operation = /action="[^"]*\/(\w+)"/.exec(headers['Content-Type'])[1];
    callback(null, { status: 200, headers: {} }, replies[operation]);
  }
}

// The values zentavo_bench's job sends.
const credentials = {
  attributes: { 'xsi:type': 'tns:AuthenticationCredentialsAccessKeyAndSecretKey' },
  SubmittedInterface: 'ZentavoSMSOutlookAddin',
  AccessKey: 'ACCESSKEY',
  SecretKey: 'SECRETKEY',
};
const owner = { Interface: 'ZentavoSMSOutlookAddin', Id: 'owner@example.com', Name: 'Owner' };
const createInput = {
  CreateSMSTextBulkJobInput: {
    AuthenticationCredentials: credentials,
    BulkJobDetails: {
      BulkJobName: 'SMS Appointment Reminder',
      MessageType: 'Text',
      Message: {
        attributes: { 'xsi:type': 'tns:TextMessage' },
        MessageBody: 'Your appointment with Dr Smith is tomorrow at 9:00. Reply STOP to opt out.',
        MaxConCat: 3,
      },
      From: 'Zentavo',
      OAType: 'UserDefined',
      MaxConCatMsgs: 3,
      ScheduledDate: '2026-12-08T09:00:00Z',
      ReportSettings: { StatusFlags: 'DeliverySuccess DeliveryFailure', RoutingType: 'MsgSource' },
      ReplyTo: owner,
      MessageSource: owner,
      ClientDetails: {
        ClientId: 'ZentavoSMSWebServiceSDKC++',
        ClientVersion: '2.0',
        AppId: 'ZentavSMSOutlookAddin',
        AppVersion: '5.0.1',
        AppLicence: '',
      },
    },
  },
};
const batches = [];
for (let batch = 0; batch < 10; ++batch) {
  const numbers = [];
  for (let i = 0; i < 1000; ++i)
    numbers.push('+4477009' + (10000 + batch * 1000 + i));
  batches.push(numbers.join(','));
}

function jobInput(name, jobId, extra) {
  return { [name]: Object.assign({ AuthenticationCredentials: credentials, BulkJobId: jobId }, extra) };
}

async function runJob(port) {
  const [created] = await port.CreateSMSTextBulkJobAsync(createInput);
  const jobId = created.CreateSMSTextBulkJobResult.BulkJobId;
  let codes = created.CreateSMSTextBulkJobResult.ErrorCode === 'OK' ? 1 : 0;
  for (const batch of batches) {
    const [appended] = await port.AppendRecipientsAsync(
      jobInput('AppendRecipientsInput', jobId, { RecipientList: batch }));
    codes += appended.AppendRecipientsResult.ErrorCode === 'OK' ? 1 : 0;
  }
  const [ready] = await port.SetBulkJobReadyAsync(jobInput('SetBulkJobReadyInput', jobId));
  codes += ready.SetBulkJobReadyResult.ErrorCode === 'OK' ? 1 : 0;
  if (codes !== 12)
    throw new Error('a reply was not read as OK');
}

async function main() {
  const httpClient = new MemoryHttpClient();
  const client = await soap.createClientAsync(wsdlPath, { httpClient, forceSoap12Headers: true });
  client.setEndpoint('http://localhost/api/webservices/bulkjob.asmx');
  // The methods of the SOAP 1.2 port, as the add-in uses.
  const port = {};
  for (const name of ['CreateSMSTextBulkJob', 'AppendRecipients', 'SetBulkJobReady'])
    port[name + 'Async'] = (args) => new Promise((resolve, reject) => {
      client.ZentavoBulkJob.ZentavoBulkJobSoap12[name](args, (error, result) => (error ? reject(error) : resolve([result])));
    });

  // Untimed jobs first, so that the figure is of compiled code.
  for (let i = 0; i < 10; ++i)
    await runJob(port);
  const iterations = Math.max(1, Math.round(200 * scale));
  httpClient.bytesSent = 0;
  const start = process.hrtime.bigint();
  for (let i = 0; i < iterations; ++i)
    await runJob(port);
  const milliseconds = Number(process.hrtime.bigint() - start) / 1e6 / iterations;
  const kilobytes = Math.floor(httpClient.bytesSent / iterations / 1024);
  const figure = 'npm soap ' + require(path.join(path.resolve(soapModule), 'package.json')).version +
    ', same job under node ' + process.version + ', per job';
  console.log('peer'.padEnd(9) + figure.padEnd(45) + milliseconds.toFixed(3).padStart(12) + ' ms  (' +
    kilobytes + ' KB written per job)');
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
